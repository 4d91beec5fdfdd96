// Writes the starting corpora of the fuzz targets with the project's own writers, so the
// fuzzers begin from well-formed pictures and models instead of from nothing.
#include "jpeg_writer.h"
#include "model_writer.h"
#include "tga_writer.h"

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

static void put(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(dir);
    writeFile((dir / name).string(), bytes);
}

int main(int argc, char** argv)
{
    fs::path root = argc > 1 ? argv[1] : "seeds";
    std::vector<uint8_t> rgba, rgb;
    for (int i = 0; i < 5 * 3; ++i) {
        rgba.insert(rgba.end(), {uint8_t(i * 9), uint8_t(i < 7 ? 4 : 200), 7, uint8_t(i * 17)});
        rgb.insert(rgb.end(), {uint8_t(i < 9 ? 1 : i), 2, 3});
    }
    put(root / "picture", "rgba.tga", encodeTGA(rgba, 5, 3, 4));
    put(root / "picture", "rgb_rle.tga", encodeTGA(rgb, 5, 3, 3, true));
    put(root / "picture", "rgba_rle.tga", encodeTGA(rgba, 5, 3, 4, true));
    put(root / "picture", "grey16.tga", encodeTGA16({0x7FFF, 0x1234, 0x0001, 0x7C00}, 2, 2));
    put(root / "jpeg", "colour.jpg", encodeJPEG(std::vector<uint8_t>(8 * 8 * 3, 90), 8, 8, 3, 50));
    put(root / "jpeg", "grey.jpg", encodeJPEG(std::vector<uint8_t>(9 * 3, 30), 9, 3, 1, 75));

    ModelDescription d;
    d.materials = {{"bark", {120, 80, 40}, "bark.jpg"}, {"leaf", {20, 160, 30}, ""}};
    ObjectDescription o;
    o.name = "trunk";
    o.vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    o.texCoords = {0, 0, 1, 0, 1, 1, 0, 1};
    o.triangles = {0, 1, 2, 0, 2, 3};
    o.groups = {{"bark", {0}}, {"leaf", {1}}};
    d.objects = {o, o};
    d.objects[1].name = "leaves";
    d.objects[1].texCoords.clear();
    std::vector<uint8_t> model = encode3DS(d);
    std::string normals = normalsText(d);
    // The model fuzzer's input: two bytes of split position, the model, then the normals text.
    std::vector<uint8_t> input = {uint8_t(model.size() & 0xFF), uint8_t(model.size() >> 8)};
    input.insert(input.end(), model.begin(), model.end());
    input.insert(input.end(), normals.begin(), normals.end());
    put(root / "model", "palm.bin", input);

    auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    // The behaviour settings file as the settings dialog writes it, one hand-edited with negative
    // and oversized values, and one in other letter cases with a second section and comments.
    put(root / "profile", "dialog.cfg",
        text("[FullScreen behaviour Control]\r\nfpsch_on=0\r\nclock_on=1\r\nmouse_on=0\r\nmusic_on=1\r\n"
             "sound_on=1\r\nmusic_vo=99\r\nsound_vo=99\r\nspeed_vo=1\r\ngamma_vo=100\r\ncamjump_vo=90\r\n"
             "vsync_on=0\r\n"));
    put(root / "profile", "hand_edited.cfg",
        text("[FullScreen behaviour Control]\nmusic_vo=-10\nsound_vo=4294967295\nspeed_vo=-1\n"
             "gamma_vo=-99999999999\ncamjump_vo=-2147483648\n"));
    put(root / "profile", "cases.cfg",
        text("; written by hand\n[Other]\nmusic_vo=3\n[fullscreen BEHAVIOUR control]\n  MUSIC_VO = 50 \n"
             "Gamma_Vo=+150\ncamjump_vo=7x\n[FullScreen behaviour Control]\nmusic_vo=1\n"));

    // Window outlines as the host's "POINTS" resources hold them, and an x and y list joined by a
    // zero byte as the points fuzzer splits them.
    put(root / "points", "square_x.txt", text("0\r\n40\r\n40\r\n0"));
    put(root / "points", "signed_lf.txt", text("-12\n+7\n 300 \n"));
    std::vector<uint8_t> pair = text("0\r\n10\r\n10\r\n0");
    pair.push_back(0);
    const std::vector<uint8_t> y = text("0\r\n0\r\n8\r\n8\r\n");
    pair.insert(pair.end(), y.begin(), y.end());
    put(root / "points", "outline_pair.bin", pair);

    // Settings files as the dialog writes them, and one a user edited by hand.
    put(root / "settings_profile", "controls.cfg",
        text("[FullScreen behaviour Control]\r\nfpsch_on=0\r\nclock_on=1\r\nmusic_vo=50\r\ngamma_vo=0x85\r\n"));
    put(root / "settings_profile", "controlsadj.cfg",
        text("[Adjustment Form Control Panel Settings]\nTrackBar_Cam .Position=25\nRadioGroup_Presets .ItemIndex=-1\n"
             "CheckBox_Gamma .Checked/UnChecked=1\n"));
    put(root / "settings_profile", "edited.cfg",
        text("; mine\n[Other]\nx = \"1\"\n\n[ fullscreen BEHAVIOUR control \ngamma_vo = -7\nbroken line\n[Aa]\nbB=2"));

    // A user's XScreenSaver settings with its list (one with Quelm 3D in it, one all on the key
    // line, one without a list), then a zero byte and the daemon's own settings with its list, and,
    // after another, the folder a hack is registered from.
    const std::string daemon = "*fade:\tTrue\n*programs:\t\t\t\t      \\\n\t\t\t\tmaze --root\t\t    \\n\\\n"
                               "  GL: \t\t\t\tsproingies --root\t\t    \\n\n*lock:\tFalse\n";
    auto with_daemon = [&](const std::string& user) {
        std::vector<uint8_t> bytes = text(user);
        bytes.push_back(0);
        const std::vector<uint8_t> rest = text(daemon);
        bytes.insert(bytes.end(), rest.begin(), rest.end());
        return bytes;
    };
    put(root / "xscreensaver_list", "registered.bin",
        with_daemon("mode:\t\trandom\nprograms:\t\t\\\n\t\t\t\tmaze --root\t\t    \\n\\\n"
                    "  GL: \t\t\"Quelm 3D\"  /home/a\\ b/.local/bin/quelm3d --root\t\t    \\n\\\n"
                    "-  GL: \t\tsproingies --root\t\t    \\n\n\nfade:\tFalse\n"));
    put(root / "xscreensaver_list", "one_line.bin", with_daemon("programs: maze --root\n"));
    put(root / "xscreensaver_list", "no_list.bin", with_daemon("timeout:\t0:10:00\nlock:\tFalse"));
    auto from_folder = [&](const std::string& user, const std::string& folder) {
        std::vector<uint8_t> bytes = with_daemon(user);
        bytes.push_back(0);
        bytes.insert(bytes.end(), folder.begin(), folder.end());
        return bytes;
    };
    // Ours last, below a line that ends in two backslashes, in the second of two lists; ours with
    // the user's options and mark, a quoted path; a path that takes quotes, a guard and escapes.
    put(root / "xscreensaver_list", "last.bin",
        from_folder("programs: quelm3d\nprograms:\t\\\n  maze --root \\n\\\\\n  /usr/bin/quelm3d --root \\n\n"
                    "fade:\tFalse\n",
                    "opt/a b"));
    // Ours between a line that ends in two backslashes and a last line without a line feed: taking
    // ours out would make the daemon drop that last line, so ours stays.
    put(root / "xscreensaver_list", "no_final_line_feed.bin",
        with_daemon("programs:\t\\\n  maze --root \\n\\\\\n\tquelm3d --root \\n\\\nx"));
    put(root / "xscreensaver_list", "options.bin",
        from_folder("programs:\t\\\n- GL: \"Quelm 3D\"  '/opt/q r/quelm3d' --root --speed 5 \\n\\\n"
                    "  GL: \tsproingies --root\t\\n\n",
                    "home/it's=$HOME\\x"));
    return 0;
}
