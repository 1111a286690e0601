// The command line read in process: what each option gives, and every way
// of getting it wrong coming back as a usage error that says why.
#include "app/CommandLine.h"
#include "window/PictureEncoder.h"

#include <gtest/gtest.h>

namespace triview {
namespace {

CommandLine parse(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "triview");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    return parseCommandLine(int(argv.size()), argv.data(), writableFormats);
}

TEST(CommandLine, MistakesAreUsageErrorsThatSayWhy)
{
    const struct
    {
        std::vector<std::string> arguments;
        const char* why;
    } cases[] = {
        { { "--bogus" }, "unknown option --bogus" },
        { { "-stylesheet=x.qss" }, "unknown option -stylesheet=x.qss" },
        { { "a.tri", "b.tri" }, "one FILE at most" },
        { { "--render" }, "--render needs a value" },
        { { "--render", "" }, "--render needs a file name" },
        { { "--size", "4x4" }, "--size goes with --render" },
        { { "--fit" }, "--fit goes with --render" },
        { { "--format", "png" }, "--format goes with --render or --export" },
        { { "--distance", "3" }, "--distance goes with --render" },
        { { "--turn", "x:1" }, "--turn goes with --render" },
        { { "--transparent" }, "--transparent goes with --render" },
        { { "--renderer", "gl" }, "--renderer goes with --render" },
        { { "--watch" }, "--watch follows a FILE" },
        { { "--watch", "--render", "x.png", "m.tri" }, "--watch is for the window" },
        { { "--render", "x.png", "--renderer", "GL" }, "--renderer takes gl or software" },
        { { "" }, "FILE is empty" },
        { { "--render", "x.png", "--", "" }, "FILE is empty" },
        { { "--render", "x.ico" }, "ico pictures are at most 256x256" },
        { { "--render", "x.png", "--format", "ICO", "--size", "256x257" },
            "ico pictures are at most 256x256" },
        { { "--render", "x.png", "--size", "1x1", "--size", "2x2" }, "--size is given twice" },
        { { "--render", "x.png", "--fit=yes" }, "--fit takes no value" },
        { { "--render", "x.png", "--fit", "--distance", "3" }, "--fit places the camera itself" },
        { { "--render", "x.xyz" }, "cannot write xyz pictures; the formats are " },
        { { "--render", "x.png", "--format", "tri" }, "cannot write tri pictures" },
        { { "--export", "" }, "--export needs a file name" },
        { { "--export", "x.glb", "--size", "4x4" }, "--size goes with --render" },
        { { "--export", "x.glb", "--render", "x.png" },
            "--render writes a picture and --export the model: give one" },
        { { "--watch", "--export", "x.glb", "m.tri" }, "--watch is for the window; --export" },
        { { "--export", "x.xyz" },
            "cannot write xyz models; the formats are glb, gltf, ply, ply-ascii, obj, stl, 3mf, "
            "fbx" },
        { { "--export", "x.ply-ascii" }, "cannot write ply-ascii models" },
        { { "--export", "-" }, "--export cannot tell the format from -: name it with --format" },
        { { "--export", "x.glb", "--format", "png" }, "cannot write png models" },
    };
    for (const auto& c : cases) {
        const CommandLine line = parse(c.arguments);
        EXPECT_EQ(line.action, CommandLine::Action::Usage) << c.why;
        EXPECT_NE(line.text.find(std::string("triview: ") + c.why), std::string::npos) << line.text;
        EXPECT_NE(line.text.find("\n       triview [--render OUT"), std::string::npos) << c.why;
    }
}

TEST(CommandLine, NumbersAreTakenWholeOrNotAtAll)
{
    const struct
    {
        const char* option;
        std::vector<const char*> taken, refused;
    } cases[] = {
        { "--size", { "16384x1", "1x1", "64" },
            { "16385x1", "1x0", "12x12\n", " 12x12", "12X12", "12x", "16385", "0" } },
        { "--distance", { "1", "15" }, { "0", "16", " 8", "8\n" } },
        { "--turn", { "y:+0.6", "x:-1e1", "0.6,-0.8,0:1.25", "1,2,3:0" },
            { "w:1", "y: 1", "y:1\n", "y:inf", "y:", "y:+-1", "yy:1", "1,2:1", "1,2,3,4:1",
                "1,,3:1", "1,2,x:1", "1,2,3", "1,2,3:" } },
    };
    for (const auto& c : cases)
        for (const bool taken : { true, false })
            for (const char* value : taken ? c.taken : c.refused)
                EXPECT_EQ(parse({ "--render", "x.png", c.option, value }).action
                        == CommandLine::Action::Render,
                    taken)
                    << c.option << " '" << value << "'";
}

TEST(CommandLine, RenderTakesEachArgumentAsTheBytesItIs)
{
    // Two names that decode to the same text are still two files.
    const CommandLine line = parse({ "--render=m\xff.JPG", "--size=12x34", "--turn", "z:-0.25",
        "--fit", "--transparent", "--", "m\xfe" });
    ASSERT_EQ(line.action, CommandLine::Action::Render) << line.text;
    EXPECT_EQ(line.output, "m\xff.JPG");
    EXPECT_EQ(line.file, "m\xfe");
    EXPECT_EQ(line.format, "jpg");
    EXPECT_EQ(line.size, (PixelSize { 12, 34 }));
    EXPECT_EQ(line.axis, (D3DVECTOR { 0, 0, 1 }));
    EXPECT_EQ(line.angle, -0.25f);
    EXPECT_TRUE(line.fit && line.transparent);
    EXPECT_EQ(line.distance, 8);
    // A thumbnail is drawn in software unless OpenGL is asked for; a view in OpenGL.
    EXPECT_EQ(line.deviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(parse({ "--render", "x.png", "--fit", "--renderer=gl" }).deviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(parse({ "--render", "x.png" }).deviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(parse({ "--render", "x.png", "--renderer", "software" }).deviceType, D3DDEVTYPE_REF);

    const struct
    {
        std::vector<std::string> arguments;
        const char* format;
    } formats[] = {
        { { "--render", "-" }, "png" },
        { { "--render", "picture" }, "png" },
        { { "--render", "dir.d/.hidden" }, "png" },
        { { "--render", "/tmp/.gnome_desktop_thumbnail.Ab3dEf", "--format", "PNG" }, "png" },
        { { "--render", "x.Bmp" }, "bmp" },
    };
    for (const auto& f : formats)
        EXPECT_EQ(parse(f.arguments).format, f.format) << f.arguments[1];
}

TEST(CommandLine, ExportTakesTheFormatFromFormatOrElseTheExtension)
{
    const std::pair<std::vector<std::string>, ExportFormat> cases[] = {
        { { "--export", "d.stl/x.GLB" }, ExportFormat::Glb },
        { { "--export", "x.ply", "--format", "PLY-ascii" }, ExportFormat::PlyAscii },
        { { "--export", "-", "--format", "3mf", "m.tri" }, ExportFormat::ThreeMf },
    };
    for (const auto& [arguments, format] : cases) {
        const CommandLine line = parse(arguments);
        ASSERT_EQ(line.action, CommandLine::Action::Export) << line.text;
        EXPECT_EQ(line.exportFormat, format) << arguments[1];
        EXPECT_EQ(line.output, arguments[1]);
    }
    EXPECT_EQ(parse({ "--export", "x.fbx", "m.tri" }).file, "m.tri");
}

TEST(CommandLine, FileAloneOpensTheWindowAndHelpOrVersionComeFirst)
{
    const CommandLine window = parse({ "--", "-odd-name.tri" });
    EXPECT_EQ(window.action, CommandLine::Action::Window);
    EXPECT_EQ(window.file, "-odd-name.tri");
    EXPECT_FALSE(window.watch);
    const CommandLine watching = parse({ "--watch", "m.tri" });
    EXPECT_TRUE(watching.action == CommandLine::Action::Window && watching.watch);
    EXPECT_EQ(parse({ "-" }).file, "-");
    EXPECT_FALSE(parse({}).file);
    EXPECT_EQ(parse({ "a.tri", "--help" }).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({ "-v" }).action, CommandLine::Action::Version);
    EXPECT_NE(parse({ "-h" }).text.find("--transparent"), std::string::npos);
}

} // namespace
} // namespace triview
