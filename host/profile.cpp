// Profile (INI) file editing with Windows semantics, and the safe replacement of a file on disk.
#include "profile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

// A settings file is a few hundred bytes; anything past this is not one of ours and is not
// read into memory.
static constexpr std::uintmax_t kLargestProfile = 1 << 20;

static std::string_view Trim(std::string_view s)
{
    const char* blanks = " \t\r\n";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

static bool Same_Ignoring_Case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The section name of a header line "[name]", or nothing for any other line. A header
// without its closing bracket names the rest of the line.
static std::optional<std::string_view> Header_Name(std::string_view line)
{
    std::string_view text = Trim(line);
    if (text.empty() || text[0] != '[') return std::nullopt;
    text.remove_prefix(1);
    return Trim(text.substr(0, text.find(']')));
}

// The key of a "key=value" line, or nothing for a line without an equals sign.
static std::optional<std::string_view> Key_Name(std::string_view line)
{
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(0, equals));
}

Profile_File Profile_File::Parse(std::string_view text)
{
    Profile_File file;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        Line line;
        if (end == std::string_view::npos) {
            line.text = text.substr(start);
            start = text.size();
        } else {
            const bool crlf = end > start && text[end - 1] == '\r';
            line.text = text.substr(start, end - start - (crlf ? 1 : 0));
            line.end = crlf ? "\r\n" : "\n";
            start = end + 1;
        }
        file.lines_.push_back(std::move(line));
    }
    if (!file.lines_.empty() && !file.lines_.front().end.empty()) file.line_end_ = file.lines_.front().end;
    return file;
}

void Profile_File::End_Last_Line()
{
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = line_end_;
}

std::vector<std::pair<size_t, size_t>> Profile_File::Section_Blocks(std::string_view section) const
{
    std::vector<std::pair<size_t, size_t>> blocks;
    bool inside = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto name = Header_Name(lines_[i].text);
        if (!name) continue;
        if (inside) blocks.back().second = i;
        inside = Same_Ignoring_Case(*name, Trim(section));
        if (inside) blocks.push_back({i, lines_.size()});
    }
    return blocks;
}

std::optional<std::string> Profile_File::Read_String(std::string_view section, std::string_view key) const
{
    for (auto [first, end] : Section_Blocks(section))
        for (size_t i = first + 1; i < end; ++i) {
            auto name = Key_Name(lines_[i].text);
            if (!name || !Same_Ignoring_Case(*name, Trim(key))) continue;
            std::string_view value = Trim(std::string_view(lines_[i].text).substr(lines_[i].text.find('=') + 1));
            if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
                value = value.substr(1, value.size() - 2);
            return std::string(value);
        }
    return std::nullopt;
}

void Profile_File::Write_String(std::string_view section, std::string_view key, std::string_view value)
{
    std::string text = std::string(Trim(key)) + "=" + std::string(value);
    auto blocks = Section_Blocks(section);
    for (auto [first, end] : blocks)
        for (size_t i = first + 1; i < end; ++i) {
            auto name = Key_Name(lines_[i].text);
            if (name && Same_Ignoring_Case(*name, Trim(key))) {
                lines_[i].text = text;
                return;
            }
        }
    End_Last_Line();
    if (!blocks.empty()) {
        // After the section's last line that is not blank, so blank lines stay between sections.
        size_t at = blocks.front().second;
        while (at > blocks.front().first + 1 && Trim(lines_[at - 1].text).empty()) --at;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{text, line_end_});
        return;
    }
    if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back({"", line_end_});
    lines_.push_back({"[" + std::string(Trim(section)) + "]", line_end_});
    lines_.push_back({text, line_end_});
}

bool Profile_File::Erase_Section(std::string_view section)
{
    auto blocks = Section_Blocks(section);
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(it->first),
                     lines_.begin() + static_cast<std::ptrdiff_t>(it->second));
    return !blocks.empty();
}

std::string Profile_File::Text() const
{
    std::string text;
    for (const Line& line : lines_) text += line.text + line.end;
    return text;
}

int Read_Profile_Integer(std::string_view value, int fallback)
{
    std::string_view text = Trim(value);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        uint64_t result = 0;
        for (char c : text.substr(2)) {
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) return fallback;
            result = result * 16 + static_cast<uint64_t>(digit);
            if (result > UINT32_MAX) return fallback;
        }
        uint32_t bits = static_cast<uint32_t>(result);
        if (negative) bits = 0u - bits;
        return static_cast<int>(bits);
    }
    if (text.empty()) return fallback;
    int64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return fallback;
        result = result * 10 + (c - '0');
        if (result > static_cast<int64_t>(INT_MAX) + 1) return fallback;
    }
    if (negative) result = -result;
    if (result > INT_MAX) return fallback;
    return static_cast<int>(result);
}

Profile_Load Load_Profile(const std::string& path, Profile_File& file)
{
    std::string text;
    const Profile_Load state = Read_Small_File(path, text);
    file = state == Profile_Load::Loaded ? Profile_File::Parse(text) : Profile_File();
    return state;
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

// Reads the open file from its start to its end: false when it is longer than kLargestProfile.
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
        if (text.size() > kLargestProfile) return false;
    }
}

Profile_Load Read_Small_File(const std::string& path, std::string& text, File_Identity* identity)
{
    text.clear();
    if (identity) *identity = {};
    // Not blocking: a pipe in the file's place is refused below instead of waited on.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? Profile_Load::Missing : Profile_Load::Unreadable;
    Profile_Load state = Profile_Load::Unreadable;
    for (int attempt = 0; attempt < kReadTries; ++attempt) {
        struct stat before {}, after {};
        if (fstat(fd, &before) != 0 || !S_ISREG(before.st_mode) ||
            static_cast<std::uintmax_t>(before.st_size) > kLargestProfile || !Read_To_End(fd, text) ||
            fstat(fd, &after) != 0)
            break;
        // Written over in place while it was read (a save by a program that does not rename):
        // what was read may be half old, half new.
        if (!(Identity_From(before) == Identity_From(after))) continue;
        if (identity) *identity = Identity_From(after);
        state = Profile_Load::Loaded;
        break;
    }
    close(fd);
    if (state != Profile_Load::Loaded) text.clear();
    return state;
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
static bool Follow_Links(const std::string& path, fs::path& target, std::string& error)
{
    fs::path at = path;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        struct stat entry {};
        if (lstat(at.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) {
            target = at;
            return true;
        }
        std::error_code ec;
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) {
            error = "cannot read the link " + at.string() + ": " + ec.message();
            return false;
        }
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    error = path + " is a loop of symbolic links";
    return false;
}

// The folder a file is (to be) made in must be there: a file is never made in its place.
static bool Folder_Is_There(const std::string& path, const fs::path& target, std::string& error)
{
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
    error = target.string() == path ? "the folder " + folder.string() + " is missing"
                                    : path + " is a link to " + target.string() + ", whose folder " + folder.string() +
                                          " is missing";
    return false;
}

static Replace_Result Replace(const std::string& path, std::string_view bytes, const File_Identity* expected,
                              std::string& error)
{
    fs::path target;
    if (!Follow_Links(path, target, error) || !Folder_Is_There(path, target, error)) return Replace_Result::Failed;
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    const mode_t mode = exists ? (old.st_mode & 07777) : New_File_Mode();

    std::string temp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        // A folder that takes no new file cannot have the file replaced whole. Rewriting it in
        // place instead could leave it half written (a full disk, a crash), losing the settings.
        error = std::strerror(errno);
        if (errno == EACCES || errno == EPERM || errno == EROFS)
            error += " (the folder " + target.parent_path().string() + " takes no new file)";
        return Replace_Result::Failed;
    }
    bool ok = Write_All(fd, bytes) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int reason = errno;
    if (close(fd) != 0 && ok) ok = false, reason = errno;
    if (ok && expected && !(Identity_Of(target.string()) == *expected)) {
        unlink(temp.c_str());
        return Replace_Result::Changed;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) ok = false, reason = errno;
    if (!ok) {
        unlink(temp.c_str());
        error = std::strerror(reason);
        return Replace_Result::Failed;
    }
    // Make the rename itself durable; a folder that cannot be opened or synced changes nothing.
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return Replace_Result::Replaced;
}

bool Replace_File(const std::string& path, std::string_view bytes, std::string& error)
{
    return Replace(path, bytes, nullptr, error) == Replace_Result::Replaced;
}

Replace_Result Replace_File_If_Unchanged(const std::string& path, std::string_view bytes,
                                         const File_Identity& expected, std::string& error)
{
    return Replace(path, bytes, &expected, error);
}

Replace_Result Remove_File_If_Unchanged(const std::string& path, const File_Identity& expected, std::string& error)
{
    fs::path target;
    if (!Follow_Links(path, target, error)) return Replace_Result::Failed;
    if (!(Identity_Of(target.string()) == expected)) return Replace_Result::Changed;
    if (unlink(target.c_str()) != 0 && errno != ENOENT) {
        error = "cannot remove " + target.string() + ": " + std::strerror(errno);
        return Replace_Result::Failed;
    }
    return Replace_Result::Replaced;
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
