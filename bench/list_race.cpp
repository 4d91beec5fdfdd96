// A program that saves ~/.xscreensaver by writing a new file and renaming it into place (as
// XScreenSaver and its settings app do), beside the list's read, edit and replace, for ROUNDS
// rounds. Prints how many reads were cut (a read that mixes two saves, or an end missing), how
// many saves landed between a read and its replace and were seen (the edit was redone), and how
// many landed in the instant between the last check and the rename, which no POSIX call closes
// (an upper bound: the order of two renames in that instant cannot be seen). The same writer
// beside the earlier reading (the size looked up by name, then the file read by name) for a
// comparison.
#include "files.h"
#include "xscreensaver_list.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Save n: a list of a few kilobytes that names its save at its start and its end; saves one after
// another differ in length, as a user's saves do.
std::string Save(uint64_t n)
{
    std::string text = "# save " + std::to_string(n) + "\nprograms:\t\\\n";
    for (uint64_t i = 0; i < 60 + n % 13; ++i)
        text += "\t\t\t\thack" + std::to_string(i) + " --root --count " + std::to_string(n) + "\t\\n\\\n";
    text += "\t\t\t\tlast --root\t\\n\n# end " + std::to_string(n) + "\n";
    return text;
}

// Whether text is one save whole, or one save with our line put in or taken out.
bool Whole(const std::string& text)
{
    if (text.compare(0, 7, "# save ") != 0) return false;
    const std::string n = text.substr(7, text.find('\n') - 7);
    const std::string end = "# end " + n + "\n";
    if (text.size() < end.size() || text.compare(text.size() - end.size(), end.size(), end) != 0) return false;
    return Remove_Quelm_Entries(text) == Save(std::stoull(n));
}

// The earlier reading: the size from one look-up, then the file opened again by name.
std::string Read_By_Name(const std::string& path)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) return {};
    std::string text(size, '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

struct Writer {
    std::string path;
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> saves{0};
    std::thread thread;
    explicit Writer(std::string p) : path(std::move(p))
    {
        thread = std::thread([this] {
            const std::string temp = path + ".writer";
            for (uint64_t n = 1; !stop; ++n) {
                std::ofstream(temp, std::ios::binary | std::ios::trunc) << Save(n);
                fs::rename(temp, path);
                saves = n;
            }
        });
    }
    ~Writer()
    {
        stop = true;
        thread.join();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    const long rounds = argc > 1 ? std::atol(argv[1]) : 100000;
    const fs::path folder = fs::temp_directory_path() / ("quelm-list-race-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string path = (folder / ".xscreensaver").string();
    const std::string hack = "/usr/libexec/xscreensaver/quelm3d";
    std::ofstream(path, std::ios::binary) << Save(0);

    long cut_by_name = 0;
    {
        Writer writer(path);
        for (long i = 0; i < rounds; ++i)
            if (!Whole(Read_By_Name(path))) ++cut_by_name;
    }

    long cut = 0, edits = 0, redone = 0, given_up = 0, in_the_instant = 0, failed = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        Writer writer(path);
        for (long i = 0; i < rounds; ++i) {
            for (int attempt = 0;; ++attempt) {
                const Small_File read = Read_Small_File(path);
                if (read.State != File_State::Loaded || !Whole(read.Text)) {
                    ++cut;
                    break;
                }
                const std::string edited = i % 2 ? Remove_Quelm_Entries(read.Text)
                                                 : Register_In_List(read.Text, true, {}, hack).Text;
                const uint64_t saves_before = writer.saves;
                const Result<Replace_Result> result = Replace_File_If_Unchanged(path, edited, read.Identity);
                if (!result.Ok) {
                    ++failed;
                    break;
                }
                if (result.Value == Replace_Result::Replaced) {
                    ++edits;
                    if (writer.saves != saves_before) ++in_the_instant;
                    break;
                }
                ++redone;
                if (attempt == 4) {
                    ++given_up;
                    break;
                }
            }
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Small_File at_end = Read_Small_File(path);
    const bool whole_at_end = at_end.State == File_State::Loaded && Whole(at_end.Text);
    fs::remove_all(folder);

    std::printf("rounds: %ld each, beside a writer that renames a new save into place without pause\n", rounds);
    std::printf("size looked up by name, then read by name:   %ld cut reads\n", cut_by_name);
    std::printf("opened once, read to its end:                %ld cut reads\n", cut);
    std::printf("edits written: %ld in %.1f s; saves seen between read and replace, edit redone: %ld\n", edits,
                seconds, redone);
    std::printf("edits given up after 5 tries (nothing written): %ld; failed writes: %ld\n", given_up, failed);
    std::printf("saves in the instant between the last check and the rename (at most lost): %ld\n", in_the_instant);
    std::printf("the file at the end is one save whole: %s\n", whole_at_end ? "yes" : "no");
    return cut == 0 && failed == 0 && whole_at_end ? 0 : 1;
}
