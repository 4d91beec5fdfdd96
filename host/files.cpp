// Reading small files whole, replacing them through a new file renamed into place, and finding
// a file by a name that ignores letter case.
#include "files.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// A settings file is a few hundred bytes; anything past this is not one of ours and is not
// read into memory.
static constexpr std::uintmax_t kLargestFile = 1 << 20;

bool Same_Ignoring_Case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool File_Identity::operator==(const File_Identity& other) const
{
    if (Exists != other.Exists) return false;
    return !Exists || (Device == other.Device && Inode == other.Inode && Size == other.Size &&
                       Modified.tv_sec == other.Modified.tv_sec && Modified.tv_nsec == other.Modified.tv_nsec);
}

static File_Identity Identity_From(const struct stat& info)
{
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

File_Identity Identity_Of(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? Identity_From(info) : File_Identity{};
}

// How often a file that changes while it is read is read again before it counts as unreadable.
static constexpr int kReadTries = 5;

// Reads the open file from its start to its end: false when it is longer than kLargestFile.
static bool Read_To_End(int fd, std::string& text)
{
    text.clear();
    char buffer[16384];
    for (off_t at = 0;;) {
        const ssize_t n = pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        text.append(buffer, static_cast<size_t>(n));
        at += n;
        if (text.size() > kLargestFile) return false;
    }
}

Small_File Read_Small_File(const std::string& path)
{
    Small_File file;
    // Not blocking: a pipe in the file's place is refused below instead of waited on.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        file.State = errno == ENOENT || errno == ENOTDIR ? File_State::Missing : File_State::Unreadable;
        return file;
    }
    file.State = File_State::Unreadable;
    for (int attempt = 0; attempt < kReadTries; ++attempt) {
        struct stat before {}, after {};
        if (fstat(fd, &before) != 0 || !S_ISREG(before.st_mode) ||
            static_cast<std::uintmax_t>(before.st_size) > kLargestFile || !Read_To_End(fd, file.Text) ||
            fstat(fd, &after) != 0)
            break;
        // Written over in place while it was read (a save by a program that does not rename):
        // what was read may be half old, half new.
        if (!(Identity_From(before) == Identity_From(after))) continue;
        file.Identity = Identity_From(after);
        file.State = File_State::Loaded;
        break;
    }
    close(fd);
    if (file.State != File_State::Loaded) file.Text.clear();
    return file;
}

static bool Write_All(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The mode a newly created file gets: read and write for everyone, less the process's umask.
static mode_t New_File_Mode()
{
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Links deeper than this are taken for a loop, as the kernel does.
static constexpr int kMostLinks = 40;

// The file path finally names: each symbolic link followed in turn (a relative one from its own
// folder), so that a link to a file not there yet names that file and not the link itself.
static Result<fs::path> Follow_Links(const std::string& path)
{
    fs::path at = path;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        struct stat entry {};
        if (lstat(at.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) return {Succeeded(), at};
        std::error_code ec;
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) return Failed("cannot read the link " + at.string() + ": " + ec.message());
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return Failed(path + " is a loop of symbolic links");
}

// The folder a file is (to be) made in must be there: a file is never made in its place.
static Outcome Folder_Is_There(const std::string& path, const fs::path& target)
{
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return Succeeded();
    return Failed(target.string() == path ? "the folder " + folder.string() + " is missing"
                                          : path + " is a link to " + target.string() + ", whose folder " +
                                                folder.string() + " is missing");
}

// The bytes in a new file beside target, named in temp: false with errno set where that failed.
static bool Write_Beside(const fs::path& target, std::string_view bytes, mode_t mode, std::string& temp)
{
    temp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        temp.clear();
        return false;
    }
    bool ok = Write_All(fd, bytes) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    const int reason = errno;
    if (close(fd) != 0 && ok) return false;
    errno = reason;
    return ok;
}

static Result<Replace_Result> Replace(const std::string& path, std::string_view bytes, const File_Identity* expected)
{
    const Result<fs::path> followed = Follow_Links(path);
    if (!followed.Ok) return followed;
    const fs::path& target = followed.Value;
    if (Outcome there = Folder_Is_There(path, target); !there.Ok) return there;
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    const mode_t mode = exists ? (old.st_mode & 07777) : New_File_Mode();

    std::string temp;
    bool ok = Write_Beside(target, bytes, mode, temp);
    int reason = errno;
    if (temp.empty()) {
        // A folder that takes no new file cannot have the file replaced whole. Rewriting it in
        // place instead could leave it half written (a full disk, a crash), losing the settings.
        std::string error = std::strerror(reason);
        if (reason == EACCES || reason == EPERM || reason == EROFS)
            error += " (the folder " + target.parent_path().string() + " takes no new file)";
        return Failed(error);
    }
    if (ok && expected && !(Identity_Of(target.string()) == *expected)) {
        unlink(temp.c_str());
        return {Succeeded(), Replace_Result::Changed};
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) ok = false, reason = errno;
    if (!ok) {
        unlink(temp.c_str());
        return Failed(std::strerror(reason));
    }
    // Make the rename itself durable; a folder that cannot be opened or synced changes nothing.
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return {Succeeded(), Replace_Result::Replaced};
}

Outcome Replace_File(const std::string& path, std::string_view bytes) { return Replace(path, bytes, nullptr); }

Result<Replace_Result> Replace_File_If_Unchanged(const std::string& path, std::string_view bytes,
                                                 const File_Identity& expected)
{
    return Replace(path, bytes, &expected);
}

Result<Replace_Result> Remove_File_If_Unchanged(const std::string& path, const File_Identity& expected)
{
    const Result<fs::path> followed = Follow_Links(path);
    if (!followed.Ok) return followed;
    const fs::path& target = followed.Value;
    if (!(Identity_Of(target.string()) == expected)) return {Succeeded(), Replace_Result::Changed};
    if (unlink(target.c_str()) != 0 && errno != ENOENT)
        return Failed("cannot remove " + target.string() + ": " + std::strerror(errno));
    return {Succeeded(), Replace_Result::Replaced};
}

std::string Find_File_Ignoring_Case(const std::string& folder, const std::string& name)
{
    // The engine looks its settings file up by this same rule: what the dialog writes is what
    // the engine reads, also in a folder that holds several spellings or a folder of that name.
    std::error_code ec;
    const std::string exact = folder + name;
    if (fs::is_regular_file(exact, ec)) return exact;
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code type_error;
        const std::string entry = it->path().filename().string();
        if (Same_Ignoring_Case(entry, name) && it->is_regular_file(type_error)) matches.push_back(entry);
    }
    if (matches.empty()) return exact;
    std::sort(matches.begin(), matches.end());   // the same choice on every run
    return folder + matches.front();
}
