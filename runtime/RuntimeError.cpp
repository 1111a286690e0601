#include "runtime/RuntimeError.h"

#include "runtime/ShownSafely.h"

#include <cstdio>
#include <utility>

namespace triview {

std::string_view errorDescription(std::int32_t number)
{
    if (number < 0)
        return "自動化錯誤";
    switch (number) {
    case err::InvalidCall:
        return "程序呼叫或引數不正確";
    case err::Overflow:
        return "溢位";
    case err::OutOfMemory:
        return "記憶體不足";
    case err::SubscriptOutOfRange:
        return "陣列索引超出範圍";
    case err::DivisionByZero:
        return "除數為零";
    case err::TypeMismatch:
        return "型態不符合";
    case err::UserInterrupt:
        return "使用者中斷";
    case err::InternalError:
        return "內部錯誤";
    case err::FileNotFound:
        return "找不到檔案";
    case err::DeviceIoError:
        return "裝置 I/O 錯誤";
    case err::DiskFull:
        return "磁碟已滿";
    case err::InputPastEndOfFile:
        return "輸入超過檔案結尾";
    case err::PathFileAccess:
        return "路徑/檔案存取錯誤";
    case err::PathNotFound:
        return "找不到路徑";
    case err::ObjectNotSet:
        return "物件變數或 With 區塊變數未設定";
    case err::CannotCreateObject:
        return "ActiveX 元件無法建立物件";
    default:
        return "應用程式定義或物件定義錯誤";
    }
}

namespace {

std::string composeReport(
    std::int32_t number, const std::string& fileName, std::int64_t line, const std::string& detail)
{
    std::string text = "執行階段錯誤 '" + std::to_string(number);
    if (number < 0) { // a result code reads best in hexadecimal too
        char hex[16];
        std::snprintf(hex, sizeof hex, " (%08x)", static_cast<std::uint32_t>(number));
        text += hex;
    }
    text += "':\n\n";
    text += errorDescription(number);
    if (!fileName.empty()) {
        text += "\n\n檔案: " + shownSafely(fileName);
        if (line > 0)
            text += "\n第 " + std::to_string(line) + " 行";
    }
    if (!detail.empty())
        text += "\n" + detail;
    return text;
}

} // namespace

RuntimeError::RuntimeError(std::int32_t number, std::string detail)
    : RuntimeError(number, {}, 0, std::move(detail))
{ }

RuntimeError::RuntimeError(
    std::int32_t number, std::string fileName, std::int64_t line, std::string detail)
    : m_number(number)
    , m_fileName(std::move(fileName))
    , m_line(line)
    , m_detail(std::move(detail))
    , m_report(composeReport(m_number, m_fileName, m_line, m_detail))
{ }

RuntimeError deviceError(std::int32_t resultCode, std::string_view operation)
{
    return RuntimeError(resultCode, "作業: " + std::string(operation));
}

} // namespace triview
