#include "xml_check.h"

#include <cstdint>
#include <vector>

namespace torvane::fuzz {
namespace {

bool IsXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || u >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

class Checker {
public:
    explicit Checker(std::string_view text) : text_(text) {}

    bool Run(std::string& why) {
        const bool ok = Characters() && Document();
        if (!ok) why = error_ + " at byte " + std::to_string(at_);
        return ok;
    }

private:
    bool Fail(const char* what) {
        if (error_.empty()) error_ = what;
        return false;
    }

    bool AtEnd() const { return at_ >= text_.size(); }
    bool LookingAt(std::string_view word) const { return text_.substr(at_, word.size()) == word; }
    void SkipSpace() {
        while (!AtEnd() && IsSpace(text_[at_])) ++at_;
    }

    // The whole text is UTF-8 and every character is one XML allows.
    bool Characters() {
        for (std::size_t i = 0; i < text_.size();) {
            const auto lead = static_cast<unsigned char>(text_[i]);
            std::size_t length = 1;
            std::uint32_t code = lead;
            if (lead >= 0x80) {
                if (lead >= 0xC2 && lead <= 0xDF) length = 2, code = lead & 0x1Fu;
                else if (lead >= 0xE0 && lead <= 0xEF) length = 3, code = lead & 0x0Fu;
                else if (lead >= 0xF0 && lead <= 0xF4) length = 4, code = lead & 0x07u;
                else return at_ = i, Fail("byte that is not UTF-8");
                if (i + length > text_.size()) return at_ = i, Fail("cut UTF-8 sequence");
                for (std::size_t k = 1; k < length; ++k) {
                    const auto next = static_cast<unsigned char>(text_[i + k]);
                    if ((next & 0xC0u) != 0x80u) return at_ = i, Fail("broken UTF-8 sequence");
                    code = (code << 6) | (next & 0x3Fu);
                }
                if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000)) {
                    return at_ = i, Fail("overlong UTF-8 sequence");
                }
            }
            if (!IsXmlChar(code)) return at_ = i, Fail("character XML does not allow");
            i += length;
        }
        return true;
    }

    bool Document() {
        if (LookingAt("<?xml") && at_ + 5 < text_.size() && IsSpace(text_[at_ + 5])) {
            if (!ProcessingInstruction(true)) return false;
        }
        if (!Misc()) return false;
        if (AtEnd() || text_[at_] != '<') return Fail("no root element");
        if (LookingAt("<!DOCTYPE")) return Fail("document type declarations are not supported");
        if (!Element()) return false;
        if (!Misc()) return false;
        if (!AtEnd()) return Fail("text after the root element");
        return true;
    }

    // Blanks, comments and processing instructions.
    bool Misc() {
        for (;;) {
            SkipSpace();
            if (LookingAt("<!--")) {
                if (!Comment()) return false;
            } else if (LookingAt("<?")) {
                if (!ProcessingInstruction(false)) return false;
            } else {
                return true;
            }
        }
    }

    bool Comment() {
        at_ += 4;
        const std::size_t end = text_.find("--", at_);
        if (end == std::string_view::npos) return Fail("unterminated comment");
        if (end + 2 >= text_.size() || text_[end + 2] != '>') return at_ = end, Fail("\"--\" inside a comment");
        at_ = end + 3;
        return true;
    }

    bool ProcessingInstruction(bool declaration) {
        at_ += 2;
        std::string_view target;
        if (!Name(target)) return false;
        if (!declaration && (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
                             (target[2] | 0x20) == 'l')) {
            return Fail("XML declaration not at the start");
        }
        const std::size_t end = text_.find("?>", at_);
        if (end == std::string_view::npos) return Fail("unterminated processing instruction");
        if (end != at_ && !IsSpace(text_[at_])) return Fail("no blank after the target");
        at_ = end + 2;
        return true;
    }

    bool Name(std::string_view& name) {
        const std::size_t start = at_;
        if (AtEnd() || !IsNameStart(text_[at_])) return Fail("name expected");
        while (!AtEnd() && IsNameChar(text_[at_])) ++at_;
        name = text_.substr(start, at_ - start);
        return true;
    }

    // "&name;" or "&#...;" with at_ on the "&".
    bool Reference() {
        const std::size_t end = text_.find(';', at_);
        if (end == std::string_view::npos) return Fail("bare \"&\"");
        const std::string_view body = text_.substr(at_ + 1, end - at_ - 1);
        if (!body.empty() && body[0] == '#') {
            const bool hex = body.size() > 1 && body[1] == 'x';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            if (digits.empty() || digits.size() > 8) return Fail("bad character reference");
            std::uint32_t code = 0;
            for (const char c : digits) {
                int d;
                if (c >= '0' && c <= '9') d = c - '0';
                else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
                else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
                else return Fail("bad character reference");
                code = code * (hex ? 16u : 10u) + static_cast<std::uint32_t>(d);
            }
            if (!IsXmlChar(code)) return Fail("character reference to a character XML does not allow");
        } else if (body != "amp" && body != "lt" && body != "gt" && body != "quot" && body != "apos") {
            return Fail("reference to an undeclared entity");
        }
        at_ = end + 1;
        return true;
    }

    bool Attributes(std::vector<std::string_view>& seen) {
        seen.clear();
        for (;;) {
            const std::size_t before = at_;
            SkipSpace();
            if (AtEnd()) return Fail("unterminated start tag");
            if (text_[at_] == '>' || LookingAt("/>")) return true;
            if (at_ == before) return Fail("no blank before an attribute");
            std::string_view name;
            if (!Name(name)) return false;
            for (const std::string_view other : seen) {
                if (other == name) return Fail("repeated attribute");
            }
            seen.push_back(name);
            SkipSpace();
            if (AtEnd() || text_[at_] != '=') return Fail("\"=\" expected");
            ++at_;
            SkipSpace();
            if (AtEnd() || (text_[at_] != '"' && text_[at_] != '\'')) return Fail("quoted value expected");
            const char quote = text_[at_++];
            while (!AtEnd() && text_[at_] != quote) {
                if (text_[at_] == '<') return Fail("\"<\" in an attribute value");
                if (text_[at_] == '&') {
                    if (!Reference()) return false;
                } else {
                    ++at_;
                }
            }
            if (AtEnd()) return Fail("unterminated attribute value");
            ++at_;
        }
    }

    // The root element and everything in it, with an explicit stack of open tags.
    bool Element() {
        std::vector<std::string_view> open;
        std::vector<std::string_view> attributes;
        if (LookingAt("</") || LookingAt("<!") || LookingAt("<?")) return Fail("root element expected");
        do {
            if (AtEnd()) return Fail("unclosed element");
            if (LookingAt("</")) {
                at_ += 2;
                std::string_view name;
                if (!Name(name)) return false;
                if (open.empty() || name != open.back()) return Fail("end tag does not match");
                open.pop_back();
                SkipSpace();
                if (AtEnd() || text_[at_] != '>') return Fail("\">\" expected");
                ++at_;
            } else if (LookingAt("<!--")) {
                if (!Comment()) return false;
            } else if (LookingAt("<![CDATA[")) {
                const std::size_t end = text_.find("]]>", at_);
                if (end == std::string_view::npos) return Fail("unterminated CDATA section");
                at_ = end + 3;
            } else if (LookingAt("<?")) {
                if (!ProcessingInstruction(false)) return false;
            } else if (text_[at_] == '<') {
                ++at_;
                std::string_view name;
                if (!Name(name)) return false;
                if (!Attributes(attributes)) return false;
                if (text_[at_] == '/') {
                    at_ += 2;
                } else {
                    ++at_;
                    open.push_back(name);
                }
            } else if (text_[at_] == '&') {
                if (!Reference()) return false;
            } else {
                if (LookingAt("]]>")) return Fail("\"]]>\" in text");
                ++at_;
            }
        } while (!open.empty());
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace

bool IsWellFormedXml(std::string_view document, std::string& why) { return Checker(document).Run(why); }

}  // namespace torvane::fuzz
