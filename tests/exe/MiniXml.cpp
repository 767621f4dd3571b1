#include "exe/MiniXml.h"

#include <cctype>
#include <cstring>
#include <stdexcept>

namespace {

class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameStart(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || u >= 0x80;
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    void Document(XmlDocument& doc)
    {
        Misc();
        if (!Consume("<") || pos_ >= text_.size() || !IsNameStart(text_[pos_]))
            Fail("no root element");
        --pos_;
        Element(doc, "");
        Misc();
        if (pos_ != text_.size())
            Fail("content after the root element");
    }

private:
    [[noreturn]] void Fail(const std::string& why) const
    {
        throw XmlError(why + " at byte " + std::to_string(pos_));
    }

    bool LookingAt(const char* s) const { return text_.compare(pos_, std::strlen(s), s) == 0; }

    bool Consume(const char* s)
    {
        if (!LookingAt(s))
            return false;
        pos_ += std::strlen(s);
        return true;
    }

    void SkipSpace()
    {
        while (pos_ < text_.size() && IsSpace(text_[pos_]))
            ++pos_;
    }

    // Skips past the next occurrence of end; fails when there is none.
    std::string Until(const char* end)
    {
        std::size_t found = text_.find(end, pos_);
        if (found == std::string::npos)
            Fail(std::string("missing ") + end);
        std::string inside = text_.substr(pos_, found - pos_);
        pos_ = found + std::strlen(end);
        return inside;
    }

    std::string Name()
    {
        if (pos_ >= text_.size() || !IsNameStart(text_[pos_]))
            Fail("name expected");
        std::size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_]))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

    void Comment()
    {
        if (Until("-->").find("--") != std::string::npos)
            Fail("\"--\" inside a comment");
    }

    // Whitespace, comments and processing instructions around the root element.
    void Misc()
    {
        for (;;) {
            SkipSpace();
            if (Consume("<!--"))
                Comment();
            else if (Consume("<?"))
                Until("?>");
            else if (LookingAt("<!"))
                Fail("declarations are not supported");
            else
                return;
        }
    }

    void Reference()
    {
        static const char* const kNamed[] = {"amp;", "lt;", "gt;", "quot;", "apos;"};
        for (const char* named : kNamed)
            if (Consume(named))
                return;
        if (Consume("#x")) {
            std::size_t start = pos_;
            while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
            if (pos_ == start || !Consume(";"))
                Fail("bad character reference");
            return;
        }
        if (Consume("#")) {
            std::size_t start = pos_;
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
                ++pos_;
            if (pos_ == start || !Consume(";"))
                Fail("bad character reference");
            return;
        }
        Fail("bad entity reference");
    }

    std::string AttributeValue()
    {
        if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
            Fail("attribute value must be quoted");
        char quote = text_[pos_++];
        std::size_t start = pos_;
        for (;;) {
            if (pos_ >= text_.size())
                Fail("unterminated attribute value");
            char c = text_[pos_];
            if (c == quote)
                break;
            if (c == '<')
                Fail("'<' in an attribute value");
            ++pos_;
            if (c == '&')
                Reference();
        }
        std::string value = text_.substr(start, pos_ - start);
        ++pos_;
        return value;
    }

    // At '<' of a start tag.
    void Element(XmlDocument& doc, const std::string& parentPath)
    {
        ++pos_;
        XmlElement element;
        element.name = Name();
        element.path = parentPath.empty() ? element.name : parentPath + "/" + element.name;
        for (;;) {
            bool spaced = pos_ < text_.size() && IsSpace(text_[pos_]);
            SkipSpace();
            if (Consume("/>")) {
                doc.elements.push_back(element);
                return;
            }
            if (Consume(">"))
                break;
            if (!spaced)
                Fail("space expected before an attribute");
            std::string name = Name();
            SkipSpace();
            if (!Consume("="))
                Fail("'=' expected");
            SkipSpace();
            if (!element.attributes.emplace(name, AttributeValue()).second)
                Fail("attribute " + name + " given twice");
        }
        doc.elements.push_back(element);
        Content(doc, element.name, element.path);
    }

    void Content(XmlDocument& doc, const std::string& name, const std::string& path)
    {
        for (;;) {
            if (pos_ >= text_.size())
                Fail("element " + name + " not closed");
            if (Consume("</")) {
                if (Name() != name)
                    Fail("end tag does not match " + name);
                SkipSpace();
                if (!Consume(">"))
                    Fail("'>' expected");
                return;
            }
            if (Consume("<!--"))
                Comment();
            else if (Consume("<![CDATA["))
                Until("]]>");
            else if (Consume("<?"))
                Until("?>");
            else if (LookingAt("<"))
                Element(doc, path);
            else if (Consume("&"))
                Reference();
            else
                ++pos_;
        }
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

} // namespace

std::vector<const XmlElement*> XmlDocument::At(const std::string& path) const
{
    std::vector<const XmlElement*> found;
    for (const XmlElement& element : elements)
        if (element.path == path)
            found.push_back(&element);
    return found;
}

XmlDocument ParseXml(const std::string& text)
{
    XmlDocument doc;
    try {
        Parser(text).Document(doc);
        doc.wellFormed = true;
    } catch (const XmlError& e) {
        doc.error = e.what();
        doc.elements.clear();
    }
    return doc;
}
