// Temporary directories and whole-file reads and writes for the tests.
#pragma once

#include <string>
#include <string_view>

namespace torvane::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// The names in directory `dir`, sorted, joined by blanks.
std::string Listing(const std::string& dir);

// `text` (ASCII) as UTF-16, little or big endian, with or without the
// byte-order mark in front.
std::string Utf16(std::string_view text, bool bigEndian, bool mark = true);

// Whether a strict XML parser (xmllint) accepts the file; the parser's
// complaint goes to `complaint`.
bool IsWellFormedXml(const std::string& path, std::string& complaint);

}  // namespace torvane::test
