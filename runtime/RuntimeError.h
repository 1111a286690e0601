// Runtime errors: what every failing operation raises. An error carries the
// form runtime's number and description and, for file errors, the file and
// the 1-based line (64 bits: a file may hold more than 2^31 lines). Device
// set-up catches them to answer false; the reader, only to add its file and
// line; the window's event dispatcher and --render's picture writer report
// them and end the program.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace triview {

// The runtime's error numbers used by this program.
namespace err {
inline constexpr std::int32_t InvalidCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t UserInterrupt = 18;
inline constexpr std::int32_t InternalError = 51;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t DeviceIoError = 57;
inline constexpr std::int32_t DiskFull = 61;
inline constexpr std::int32_t InputPastEndOfFile = 62;
inline constexpr std::int32_t PathFileAccess = 75;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t ObjectNotSet = 91;
inline constexpr std::int32_t CannotCreateObject = 429;
} // namespace err

// The description the runtime shows for an error number. Negative numbers
// are result codes of failing device calls ("automation error").
std::string_view errorDescription(std::int32_t number);

class RuntimeError : public std::exception
{
public:
    // detail: what the description alone does not say, e.g. the device
    // operation that failed or the text of a field that is not a number.
    explicit RuntimeError(std::int32_t number, std::string detail = {});
    RuntimeError(
        std::int32_t number, std::string fileName, std::int64_t line, std::string detail = {});

    std::int32_t number() const { return m_number; }
    std::string_view description() const { return errorDescription(m_number); }
    const std::string& fileName() const { return m_fileName; }
    std::int64_t line() const { return m_line; } // 0 when the error is not about a file
    const std::string& detail() const { return m_detail; }

    // The text of the fatal report: number, description, file and line.
    const std::string& report() const { return m_report; }
    const char* what() const noexcept override { return m_report.c_str(); }

private:
    std::int32_t m_number;
    std::string m_fileName;
    std::int64_t m_line = 0;
    std::string m_detail;
    std::string m_report;
};

// A failing device call: the error's number is the result code.
RuntimeError deviceError(std::int32_t resultCode, std::string_view operation);

// Runs step and answers the runtime error it raised, memory running out
// being error 7; none when it ended well. For callers that give failures
// back as values.
template <typename Step> std::optional<RuntimeError> raisedBy(Step&& step)
{
    try {
        step();
        return std::nullopt;
    } catch (const RuntimeError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return RuntimeError(err::OutOfMemory);
    }
}

} // namespace triview
