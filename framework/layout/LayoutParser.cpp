// The layout text's grammar: blocks of "<kind> <name>" with indented "Name = value" lines.
#include "framework/layout/LayoutParser.h"

#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"

#include <cctype>
#include <stdexcept>
#include <string>

void LayoutFailure(const std::string& layoutName, unsigned id,
                   std::initializer_list<std::string> args)
{
    throw ELayoutError(FormatResText(SInvalidLayout, {layoutName, FormatResText(id, args)}));
}

namespace {

bool IsWordStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads values from one property's text (which may have been joined from several lines).
class TValueScanner {
public:
    TValueScanner(const std::string& text, const std::string& layoutName, int line)
        : text_(text), layoutName_(layoutName), line_(line)
    {
    }

    TLayoutValue ReadWhole()
    {
        TLayoutValue value = ReadValue();
        SkipBlanks();
        if (pos_ != text_.size())
            Fail();
        return value;
    }

private:
    [[noreturn]] void Fail()
    {
        LayoutFailure(layoutName_, SLayoutSyntax, {std::to_string(line_)});
    }

    void SkipBlanks()
    {
        while (pos_ < text_.size() && (IsBlank(text_[pos_]) || text_[pos_] == '\n'))
            ++pos_;
    }

    TLayoutValue ReadValue()
    {
        SkipBlanks();
        if (pos_ >= text_.size())
            Fail();
        char c = text_[pos_];
        if (c == '"')
            return ReadText();
        if (c == '[')
            return ReadList();
        if (c == '-' || std::isdigit(static_cast<unsigned char>(c)))
            return ReadNumber();
        if (IsWordStart(c))
            return ReadWord();
        Fail();
    }

    // "" inside a text stands for one quote. The quote byte is never the second byte of a
    // CP932 character, so the bytes in between are taken as they are.
    TLayoutValue ReadText()
    {
        TLayoutValue value;
        value.type = TLayoutValue::Type::Text;
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == '\n')
                Fail();
            char c = text_[pos_++];
            if (c != '"') {
                value.text += c;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '"') {
                value.text += '"';
                ++pos_;
                continue;
            }
            return value;
        }
    }

    TLayoutValue ReadList()
    {
        TLayoutValue value;
        value.type = TLayoutValue::Type::List;
        ++pos_;
        for (;;) {
            SkipBlanks();
            if (pos_ >= text_.size())
                Fail();
            if (text_[pos_] == ']') {
                ++pos_;
                return value;
            }
            if (!value.items.empty() && text_[pos_] == ',') {
                ++pos_;
                SkipBlanks();
            }
            value.items.push_back(ReadValue());
        }
    }

    TLayoutValue ReadNumber()
    {
        size_t start = pos_;
        if (text_[pos_] == '-')
            ++pos_;
        int base = 10;
        if (text_.compare(pos_, 2, "0x") == 0 || text_.compare(pos_, 2, "0X") == 0) {
            base = 16;
            pos_ += 2;
        }
        size_t digits = pos_;
        while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))
               && (base == 16 || std::isdigit(static_cast<unsigned char>(text_[pos_]))))
            ++pos_;
        if (pos_ == digits || (pos_ < text_.size() && IsWordChar(text_[pos_])))
            Fail();
        TLayoutValue value;
        value.type = TLayoutValue::Type::Integer;
        try {
            long long n = std::stoll(text_.substr(digits, pos_ - digits), nullptr, base);
            if (text_[start] == '-')
                n = -n;
            if (n < -2147483648LL || n > 0xFFFFFFFFLL)
                Fail();
            value.number = static_cast<long>(n);
        } catch (const std::logic_error&) {
            Fail();
        }
        return value;
    }

    TLayoutValue ReadWord()
    {
        TLayoutValue value;
        value.type = TLayoutValue::Type::Word;
        size_t start = pos_;
        while (pos_ < text_.size() && IsWordChar(text_[pos_]))
            ++pos_;
        value.text = text_.substr(start, pos_ - start);
        return value;
    }

    const std::string& text_;
    const std::string& layoutName_;
    int line_;
    size_t pos_ = 0;
};

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool IsCommentOrEmpty(const std::string& line)
{
    size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

// Open brackets left at the end of a property's text (texts in quotes do not count).
int OpenBrackets(const std::string& text)
{
    int depth = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '[')
            ++depth;
        else if (!quoted && c == ']')
            --depth;
    }
    return depth;
}

// "<word> <word>" at the start of a line.
bool ParseHeader(const std::string& line, TLayoutBlock& block)
{
    size_t pos = 0;
    auto word = [&](std::string& out) {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        size_t start = pos;
        if (pos >= line.size() || !IsWordStart(line[pos]))
            return false;
        while (pos < line.size() && IsWordChar(line[pos]))
            ++pos;
        out = line.substr(start, pos - start);
        return true;
    };
    if (!word(block.kind) || !word(block.name))
        return false;
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    return pos == line.size();
}

} // namespace

std::vector<TLayoutBlock> ParseLayout(const std::string& text, const std::string& layoutName)
{
    std::vector<std::string> lines = SplitLines(text);
    std::vector<TLayoutBlock> blocks;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        int lineNumber = static_cast<int>(i) + 1;
        if (IsCommentOrEmpty(line))
            continue;
        auto syntaxError = [&] {
            LayoutFailure(layoutName, SLayoutSyntax, {std::to_string(lineNumber)});
        };
        if (!IsBlank(line[0])) {
            TLayoutBlock block;
            block.line = lineNumber;
            if (!ParseHeader(line, block))
                syntaxError();
            blocks.push_back(block);
            continue;
        }
        if (blocks.empty())
            syntaxError();
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            syntaxError();
        TLayoutProperty property;
        property.line = lineNumber;
        size_t nameStart = line.find_first_not_of(" \t");
        size_t nameEnd = line.find_last_not_of(" \t", eq - 1);
        if (nameStart >= eq || nameEnd == std::string::npos)
            syntaxError();
        property.name = line.substr(nameStart, nameEnd - nameStart + 1);
        if (!IsWordStart(property.name[0]))
            syntaxError();
        for (char c : property.name)
            if (!IsWordChar(c))
                syntaxError();
        std::string valueText = line.substr(eq + 1);
        // A list may go on over the following lines until its bracket closes.
        while (OpenBrackets(valueText) > 0 && i + 1 < lines.size()) {
            ++i;
            if (!IsCommentOrEmpty(lines[i]))
                valueText += "\n" + lines[i];
        }
        property.value = TValueScanner(valueText, layoutName, lineNumber).ReadWhole();
        blocks.back().properties.push_back(property);
    }
    return blocks;
}
