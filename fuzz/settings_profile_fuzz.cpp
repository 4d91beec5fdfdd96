// Fuzzes the settings dialog's profile reader and editor: any bytes as a settings file. Reading
// must never fail, an unchanged file must render byte for byte, and a write, an erase or a read
// of one section must do exactly what it says and leave every other section as it was.
#include "profile.h"

#include <cstdlib>
#include <string>

// A section or key name made from input bytes: letters of either case, digits, blanks inside,
// and the punctuation real names carry, never a character that ends a name.
static std::string Name_From(const uint8_t* data, size_t size, size_t at, const char* fallback)
{
    static const char alphabet[] = "aAbBcC01 ._/[";
    std::string name;
    for (size_t i = at; i < size && i < at + 4; ++i) name += alphabet[data[i] % (sizeof(alphabet) - 1)];
    size_t first = name.find_first_not_of(' '), last = name.find_last_not_of(' ');
    if (first == std::string::npos || name[first] == '[') return fallback;
    return name.substr(first, last - first + 1);
}

static void Check(bool condition)
{
    if (!condition) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Profile_File file = Profile_File::Parse(text);

    Check(file.Text() == text);

    const std::string section = Name_From(data, size, 0, "FullScreen behaviour Control");
    const std::string key = Name_From(data, size, 4, "gamma_vo");
    // No generated name equals this one, whatever the letter case.
    const std::string other = "Other";

    // Integers: a value that reads as a number reads the same whatever the fallback, and its
    // decimal text reads back as it.
    if (auto value = file.Read_String(section, key)) {
        int a = Read_Profile_Integer(*value, 1), b = Read_Profile_Integer(*value, 2);
        if (a == b) Check(Read_Profile_Integer(std::to_string(a), 3) == a);
        else Check(a == 1 && b == 2);
    }

    const auto other_before = file.Read_String(other, key);
    Profile_File written = file;
    written.Write_String(section, key, "12345");
    Check(written.Read_String(section, key) == "12345");
    Check(Profile_File::Parse(written.Text()).Read_String(section, key) == "12345");
    Check(written.Read_String(other, key) == other_before);
    Check(Profile_File::Parse(written.Text()).Text() == written.Text());

    Profile_File erased = written;
    Check(erased.Erase_Section(section));
    Check(!erased.Read_String(section, key));
    Check(!Profile_File::Parse(erased.Text()).Read_String(section, key));
    Check(!erased.Erase_Section(section));
    Check(erased.Read_String(other, key) == other_before);
    return 0;
}
