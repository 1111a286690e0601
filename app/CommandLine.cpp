#include "app/CommandLine.h"

#include "picture/PictureSize.h"
#include "render/Direct3D8.h"
#include "runtime/Arguments.h"
#include "runtime/ShownSafely.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

namespace triview {

namespace {

constexpr std::string_view kUsage
    = "usage: triview [--watch] FILE\n"
      "       triview [--render OUT [--format FORMAT] [--size WxH] [--distance N | --fit]\n"
      "                [--turn AXIS:ANGLE] [--transparent] [--renderer gl|software]] [FILE]\n"
      "       triview --export OUT [--format FORMAT] [FILE]\n";

constexpr std::string_view kHelp = R"(Usage: triview [OPTIONS] [FILE]
Shows a 3D triangle model from a tri file, or writes its picture or the model
in another 3D format with no window.

Options:
  -h, --help           Shows this help.
  -v, --version        Shows the version.
  --watch              Follows FILE: whenever it changes on disk (written in
                       place, or replaced), the window reads it again and
                       shows it, with no count message; a read that fails
                       keeps the model shown and says why in the title.
  --render OUT         Writes the picture the window would show to OUT, with no
                       window and no dialog (and no display needed). OUT's
                       extension gives the format: png, jpg, bmp, or another
                       that this machine can write; "-" writes PNG to standard
                       output. An existing OUT is written in place.
  --export OUT         Writes the model to OUT in another 3D format, with no
                       window and no display: glb or gltf (glTF 2.0), ply (binary;
                       ply-ascii for text), obj, stl (binary, no colour), 3mf or
                       fbx (binary), given by OUT's extension; "-" writes to
                       standard output (name the format with --format). The
                       model is mirrored into the format's right-handed axes so
                       that it looks as it does here. An existing OUT is written
                       in place.
  --format FORMAT      The picture's or the model's format whatever OUT's name
                       says (a file manager's temporary names end in anything).
  --size WxH           The picture's size in pixels: WxH, or N for N by N; 1 to
                       {SIDE} a side (the window's, {AREA}, by default).
  --distance N         The camera's distance, the scroll bar's {NEAR} (nearest) to
                       {FAR} ({START} by default).
  --fit                Moves the camera, looking as the window's does, so that
                       the model fills the picture; for thumbnails.
  --turn AXIS:ANGLE    A turn as the buttons make it: about x, y or z by ANGLE,
                       which a press of + raises by 0.1 (y:0.6 is six presses of
                       Y's +); or about any axis AX,AY,AZ, as the picture's
                       description gives a dragged pose. None by default.
  --transparent        A transparent background instead of black, in formats
                       that have one.
  --renderer NAME      What draws the picture: gl (OpenGL, the window's own
                       renderer) or software (needs no GPU, driver or display).
                       With --fit, software by default; otherwise gl.

Arguments:
  FILE                 The tri model to open, as if typed in the start dialog.
                       Without it the window asks for one, and --render and
                       --export take the demonstration model.

Qt takes none of its options from the command line (so a FILE after -- is
always a file); its environment variables still work: QT_QPA_PLATFORM,
QT_SCALE_FACTOR, QT_STYLE_OVERRIDE and the rest.
)";

// The help with the window's figures and the size limit filled in.
std::string helpText()
{
    const auto number = [](auto value) { return std::to_string(value); };
    const std::pair<std::string_view, std::string> figures[] = {
        { "{SIDE}", number(kMaxBackBufferSide) },
        { "{AREA}", number(kPictureArea.width) + "x" + number(kPictureArea.height) },
        { "{NEAR}", number(kNearestDistance) },
        { "{FAR}", number(kFarthestDistance) },
        { "{START}", number(kStartDistance) },
    };
    std::string text(kHelp);
    for (const auto& [name, value] : figures)
        text.replace(text.find(name), name.size(), value);
    return text;
}

// The design's order: the readers below run in it, so a line with two
// mistakes is told of the first.
enum Option {
    Help,
    Version,
    Watch,
    Render,
    Export,
    Format,
    Size,
    Distance,
    Turn,
    Fit,
    Transparent,
    Renderer,
    OptionCount
};

constexpr std::array<OptionName, OptionCount> kOptions { {
    { "help", 'h', false },
    { "version", 'v', false },
    { "watch", 0, false },
    { "render", 0, true },
    { "export", 0, true },
    { "format", 0, true },
    { "size", 0, true },
    { "distance", 0, true },
    { "turn", 0, true },
    { "fit", 0, false },
    { "transparent", 0, false },
    { "renderer", 0, true },
} };

using Given = std::vector<std::optional<std::string_view>>;

// What an option's reader may look at besides its value.
struct Parsing
{
    const Given& given;
    PictureFormats formats;
};

// A finite decimal number with an optional sign, nothing else.
std::optional<float> decimalNumber(std::string_view text)
{
    if (text.starts_with('+') && !text.starts_with("+-"))
        text.remove_prefix(1);
    float value = 0.0f;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc {} || end != text.data() + text.size()
        || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower;
}

// The extension of OUT's name, or "" for standard output and a name without
// one.
std::string_view extensionOf(std::string_view output)
{
    const std::string_view name = output.substr(output.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (output == "-" || dot == std::string_view::npos || dot == 0)
        return "";
    return name.substr(dot + 1);
}

// The picture format OUT's name asks for: its extension; PNG for standard
// output and for a name without one.
std::string formatOf(std::string_view output)
{
    const std::string_view extension = extensionOf(output);
    return extension.empty() ? "png" : lowerCase(extension);
}

// --export's output and format; answers why they cannot be, or "".
std::string readExport(const Given& given, CommandLine& line)
{
    line.output = std::string(*given[Export]);
    if (line.output.empty())
        return "--export needs a file name, or - for standard output";
    const std::string_view named = given[Format] ? *given[Format] : extensionOf(line.output);
    const std::optional<ExportFormat> format
        = given[Format] ? exportFormatNamed(named) : exportFormatOfExtension(named);
    if (format) {
        line.exportFormat = *format;
        return "";
    }
    if (named.empty())
        return "--export cannot tell the format from " + shownSafely(line.output, 40)
            + ": name it with --format (" + exportFormatNames() + ")";
    return "cannot write " + shownSafely(named, 40) + " models; the formats are "
        + exportFormatNames();
}

// Formats that hold only smaller pictures than the largest back buffer.
constexpr std::pair<std::string_view, int> kLargestSides[]
    = { { "cur", 256 }, { "ico", 256 }, { "webp", 16383 } };

// --render's options, each read into line from its value (none when not
// given); each answers why it cannot be, or "".
using Reader = std::string (*)(
    std::optional<std::string_view> value, const Parsing& parsing, CommandLine& line);

std::string readOutput(std::optional<std::string_view> value, const Parsing&, CommandLine& line)
{
    line.output = std::string(*value);
    return line.output.empty() ? "--render needs a file name, or - for standard output" : "";
}

std::string readFormat(
    std::optional<std::string_view> value, const Parsing& parsing, CommandLine& line)
{
    line.format = value ? lowerCase(*value) : formatOf(line.output);
    const std::vector<std::string> formats
        = parsing.formats ? parsing.formats() : std::vector<std::string> {};
    if (std::ranges::find(formats, line.format) != formats.end())
        return "";
    std::string known;
    for (const std::string& format : formats)
        known += (known.empty() ? "" : ", ") + format;
    return "cannot write " + shownSafely(line.format, 40) + " pictures; the formats are " + known;
}

std::string readSize(std::optional<std::string_view> value, const Parsing&, CommandLine& line)
{
    if (value) {
        const std::optional<PixelSize> size = readPictureSize(*value);
        if (!size)
            return "--size " + pictureSizeExpected();
        line.size = *size;
    }
    for (const auto& [format, side] : kLargestSides)
        if (line.format == format && std::max(line.size.width, line.size.height) > side)
            return std::string(format) + " pictures are at most " + std::to_string(side) + "x"
                + std::to_string(side) + "; give a smaller --size";
    return "";
}

std::string readDistance(
    std::optional<std::string_view> value, const Parsing& parsing, CommandLine& line)
{
    if (value && parsing.given[Fit])
        return "--fit places the camera itself: leave out --distance";
    if (!value)
        return "";
    const auto distance = wholeNumber(*value, kNearestDistance, kFarthestDistance);
    if (!distance)
        return "--distance takes " + std::to_string(kNearestDistance) + " to "
            + std::to_string(kFarthestDistance);
    line.distance = static_cast<std::int16_t>(*distance);
    return "";
}

std::string readTurn(std::optional<std::string_view> value, const Parsing&, CommandLine& line)
{
    if (!value)
        return "";
    const std::size_t colon = value->rfind(':');
    const std::string_view axis = value->substr(0, colon);
    const auto angle
        = colon == std::string_view::npos ? std::nullopt : decimalNumber(value->substr(colon + 1));
    std::optional<D3DVECTOR> direction;
    if (axis.size() == 1 && axis.find_first_of("xyz") == 0) {
        direction = { float(axis[0] == 'x'), float(axis[0] == 'y'), float(axis[0] == 'z') };
    } else if (const std::size_t first = axis.find(','), second = axis.find(',', first + 1);
               first != std::string_view::npos && second != std::string_view::npos) {
        const auto x = decimalNumber(axis.substr(0, first));
        const auto y = decimalNumber(axis.substr(first + 1, second - first - 1));
        const auto z = decimalNumber(axis.substr(second + 1));
        if (x && y && z)
            direction = D3DVECTOR { *x, *y, *z };
    }
    if (!angle || !direction)
        return "--turn takes x, y, z or an axis AX,AY,AZ, a colon and an angle";
    line.angle = *angle;
    line.axis = *direction;
    return "";
}

std::string readFit(std::optional<std::string_view> value, const Parsing&, CommandLine& line)
{
    line.fit = value.has_value();
    return "";
}

std::string readTransparent(
    std::optional<std::string_view> value, const Parsing&, CommandLine& line)
{
    line.transparent = value.has_value();
    return "";
}

std::string readRenderer(std::optional<std::string_view> value, const Parsing&, CommandLine& line)
{
    // A thumbnail is small and wanted fast: software spares it opening OpenGL.
    line.deviceType = line.fit ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
    if (!value)
        return "";
    if (*value != "gl" && *value != "software")
        return "--renderer takes gl or software";
    line.deviceType = *value == "gl" ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF;
    return "";
}

constexpr std::pair<Option, Reader> kRenderReaders[] = {
    { Render, readOutput },
    { Format, readFormat },
    { Size, readSize },
    { Distance, readDistance },
    { Turn, readTurn },
    { Fit, readFit },
    { Transparent, readTransparent },
    { Renderer, readRenderer },
};

} // namespace

CommandLine parseCommandLine(int argc, char* argv[], PictureFormats formats)
{
    CommandLine line;
    const auto usage = [&line](std::string_view why) {
        line.action = CommandLine::Action::Usage;
        line.text = "triview: " + std::string(why) + "\n" + std::string(kUsage);
        return line;
    };

    const Arguments arguments = readArguments(argc, argv, kOptions, 1, "one FILE at most");
    if (!arguments.wrong.empty())
        return usage(arguments.wrong);
    const Given& given = arguments.given;
    if (given[Help]) {
        line.action = CommandLine::Action::Help;
        line.text = helpText();
        return line;
    }
    if (given[Version]) {
        line.action = CommandLine::Action::Version;
        line.text = "triview " TRIVIEW_VERSION "\n";
        return line;
    }
    if (!arguments.operands.empty()) {
        if (arguments.operands[0].empty())
            return usage("FILE is empty: name a tri file, or leave it out");
        line.file = std::string(arguments.operands[0]);
    }
    if (given[Render] && given[Export])
        return usage("--render writes a picture and --export the model: give one of them");
    if (given[Watch] && (given[Render] || given[Export]))
        return usage("--watch is for the window; "
            + std::string(given[Render] ? "--render draws" : "--export writes") + " once");
    if (given[Watch] && !line.file)
        return usage("--watch follows a FILE: name one");
    line.watch = given[Watch].has_value();
    if (!given[Render]) {
        for (const auto& [option, read] : kRenderReaders)
            if (given[option] && !(given[Export] && option == Format))
                return usage(optionShown(kOptions[option])
                    + (option == Format ? " goes with --render or --export"
                                        : " goes with --render"));
        if (!given[Export])
            return line;
        line.action = CommandLine::Action::Export;
        if (const std::string why = readExport(given, line); !why.empty())
            return usage(why);
        return line;
    }

    line.action = CommandLine::Action::Render;
    for (const auto& [option, read] : kRenderReaders)
        if (const std::string why = read(given[option], { given, formats }, line); !why.empty())
            return usage(why);
    return line;
}

PictureRequest pictureRequest(const CommandLine& line)
{
    return { line.file, line.size, line.distance, line.axis, line.angle, line.fit, line.transparent,
        line.deviceType };
}

} // namespace triview
