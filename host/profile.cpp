// Profile (INI) file editing with Windows semantics.
#include "profile.h"

#include <climits>
#include <cstdint>

static std::string_view Trim(std::string_view s)
{
    const char* blanks = " \t\r\n";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
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

File_State Load_Profile(const std::string& path, Profile_File& file)
{
    const Small_File read = Read_Small_File(path);
    file = read.State == File_State::Loaded ? Profile_File::Parse(read.Text) : Profile_File();
    return read.State;
}
