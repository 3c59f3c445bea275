// A small reader for the subset of resource-script syntax that Kestor.rc uses (and a little more): comments,
// preprocessor lines, strings with "" and backslash escapes, DIALOG(EX), MENU(EX), STRINGTABLE, file resources
// and skipped blocks such as VERSIONINFO. Every loop consumes a token, so bad input ends in errors, not hangs.
#include "platform/sim/RcFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace rc {

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// A whole integer literal: decimal or 0x hex, optional sign, optional parentheses and L/U suffix.
std::optional<long long> ParseInteger(std::string text) {
    text = Trim(text);
    while (text.size() >= 2 && text.front() == '(' && text.back() == ')') text = Trim(text.substr(1, text.size() - 2));
    while (!text.empty() && (text.back() == 'L' || text.back() == 'l' || text.back() == 'U' || text.back() == 'u'))
        text.pop_back();
    if (text.empty()) return std::nullopt;
    bool negative = text[0] == '-';
    if (negative) text = Trim(text.substr(1));
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 0);
    if (*end != '\0') return std::nullopt;
    return negative ? -value : value;
}

struct Token {
    enum Type { Ident, Number, String, Punct, End } type = End;
    std::string text;   // identifier, literal as written, decoded string, or the punctuation character
    int line = 0;
};

class Lexer {
public:
    explicit Lexer(const std::string& text) : text_(text) {}

    std::vector<Token> Run(std::vector<std::string>& errors) {
        std::vector<Token> tokens;
        bool lineStart = true;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') { ++line_; ++pos_; lineStart = true; continue; }
            if (std::isspace(static_cast<unsigned char>(c))) { ++pos_; continue; }
            if (lineStart && c == '#') { SkipPreprocessorLine(); continue; }
            lineStart = false;
            if (Starts("//")) { SkipToLineEnd(); continue; }
            if (Starts("/*")) { SkipBlockComment(); continue; }
            Token token;
            token.line = line_;
            if (c == '"') {
                token.type = Token::String;
                if (!ReadString(token.text)) errors.push_back("line " + std::to_string(token.line) + ": unterminated string");
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                token.type = Token::Number;
                while (pos_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[pos_]))) token.text += text_[pos_++];
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                token.type = Token::Ident;
                while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
                    token.text += text_[pos_++];
            } else {
                token.type = Token::Punct;
                token.text = std::string(1, c);
                ++pos_;
            }
            tokens.push_back(token);
        }
        Token end;
        end.line = line_;
        tokens.push_back(end);
        return tokens;
    }

private:
    bool Starts(const char* prefix) const { return text_.compare(pos_, std::char_traits<char>::length(prefix), prefix) == 0; }

    void SkipToLineEnd() {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    }

    void SkipPreprocessorLine() {
        while (pos_ < text_.size() && text_[pos_] != '\n') {
            if (text_[pos_] == '\\' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') { pos_ += 2; ++line_; continue; }
            ++pos_;
        }
    }

    void SkipBlockComment() {
        const size_t end = text_.find("*/", pos_ + 2);
        const size_t stop = end == std::string::npos ? text_.size() : end + 2;
        for (; pos_ < stop; ++pos_)
            if (text_[pos_] == '\n') ++line_;
    }

    // Reads "..." with "" for a quote and the C escapes \n \t \r \\ \"; false when the line ends first.
    bool ReadString(std::string& out) {
        ++pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') return false;
            if (c == '"') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') { out += '"'; pos_ += 2; continue; }
                ++pos_;
                return true;
            }
            if (c == '\\' && pos_ + 1 < text_.size()) {
                char e = text_[pos_ + 1];
                const char* known = "nrt\\\"";
                const char* decoded = "\n\r\t\\\"";
                const char* hit = std::char_traits<char>::find(known, 5, e);
                if (hit) { out += decoded[hit - known]; pos_ += 2; continue; }
            }
            out += c;
            ++pos_;
        }
        return false;
    }

    const std::string& text_;
    size_t pos_ = 0;
    int line_ = 1;
};

// A parsed expression: its text, its value when every name resolves, and its flags as a style.
struct Expr {
    std::string text;
    std::optional<long long> value;
    Styles styles;
    bool single = false;   // one identifier or literal
};

}  // namespace

bool Styles::Has(const std::string& flag) const { return std::find(set.begin(), set.end(), flag) != set.end(); }
bool Styles::Clears(const std::string& flag) const {
    return std::find(cleared.begin(), cleared.end(), flag) != cleared.end();
}

ControlKind Control::Kind() const {
    static const std::map<std::string, ControlKind> byStatement = {
        {"LTEXT", ControlKind::Static}, {"RTEXT", ControlKind::Static}, {"CTEXT", ControlKind::Static},
        {"ICON", ControlKind::Icon}, {"PUSHBUTTON", ControlKind::PushButton}, {"PUSHBOX", ControlKind::PushButton},
        {"DEFPUSHBUTTON", ControlKind::DefaultButton}, {"CHECKBOX", ControlKind::CheckBox},
        {"AUTOCHECKBOX", ControlKind::CheckBox}, {"STATE3", ControlKind::CheckBox}, {"AUTO3STATE", ControlKind::CheckBox},
        {"RADIOBUTTON", ControlKind::RadioButton}, {"AUTORADIOBUTTON", ControlKind::RadioButton},
        {"GROUPBOX", ControlKind::GroupBox}, {"EDITTEXT", ControlKind::Edit}, {"LISTBOX", ControlKind::ListBox},
        {"COMBOBOX", ControlKind::ComboBox}};
    auto found = byStatement.find(statement);
    if (found != byStatement.end()) return found->second;
    const std::string cls = Upper(className);
    if (cls == "STATIC") return styles.Has("SS_ICON") ? ControlKind::Icon : ControlKind::Static;
    if (cls == "BUTTON") {
        if (styles.Has("BS_DEFPUSHBUTTON")) return ControlKind::DefaultButton;
        for (const char* flag : {"BS_CHECKBOX", "BS_AUTOCHECKBOX", "BS_3STATE", "BS_AUTO3STATE"})
            if (styles.Has(flag)) return ControlKind::CheckBox;
        if (styles.Has("BS_RADIOBUTTON") || styles.Has("BS_AUTORADIOBUTTON")) return ControlKind::RadioButton;
        if (styles.Has("BS_GROUPBOX")) return ControlKind::GroupBox;
        return ControlKind::PushButton;
    }
    if (cls == "EDIT") return ControlKind::Edit;
    if (cls == "LISTBOX") return ControlKind::ListBox;
    if (cls == "COMBOBOX") return ControlKind::ComboBox;
    if (cls == "SYSLISTVIEW32") return ControlKind::ListView;
    if (cls == "SYSDATETIMEPICK32") return ControlKind::DateTimePicker;
    if (cls == "MSCTLS_UPDOWN32") return ControlKind::UpDown;
    return ControlKind::Other;
}

// ---------------------------------------------------------------- header

ResourceHeader ResourceHeader::Parse(const std::string& text) {
    ResourceHeader header;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        std::istringstream words(line);
        std::string directive, name;
        if (!(words >> directive >> name) || directive != "#define") continue;
        std::string rest;
        std::getline(words, rest);
        const std::optional<long long> value = ParseInteger(rest.substr(0, rest.find("//")));
        if (value) header.defines_.push_back(Define{name, static_cast<int>(*value), lineNumber});
    }
    return header;
}

std::optional<int> ResourceHeader::Value(const std::string& name) const {
    for (const Define& define : defines_)
        if (define.name == name) return define.value;
    return std::nullopt;
}

// ---------------------------------------------------------------- script

class Parser {
public:
    Parser(const std::string& text, const ResourceHeader& header, RcFile& out) : header_(header), out_(out) {
        tokens_ = Lexer(text).Run(out_.errors_);
    }

    void Run() {
        while (!AtEnd()) {
            const size_t before = pos_;
            TopLevel();
            if (pos_ == before) Next();
        }
    }

private:
    // ---- tokens
    const Token& Peek(size_t ahead = 0) const { return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)]; }
    bool AtEnd() const { return Peek().type == Token::End; }
    Token Next() {
        Token token = Peek();
        if (!AtEnd()) ++pos_;
        return token;
    }
    bool IsWord(const Token& token, const char* word) const { return token.type == Token::Ident && Upper(token.text) == word; }
    bool IsPunct(const Token& token, char c) const { return token.type == Token::Punct && token.text.size() == 1 && token.text[0] == c; }
    bool IsBegin(const Token& token) const { return IsWord(token, "BEGIN") || IsPunct(token, '{'); }
    bool IsEndOfBlock(const Token& token) const { return IsWord(token, "END") || IsPunct(token, '}'); }
    bool Accept(char c) {
        if (!IsPunct(Peek(), c)) return false;
        Next();
        return true;
    }
    void Error(const std::string& what) { out_.errors_.push_back("line " + std::to_string(Peek().line) + ": " + what); }
    bool Expect(char c, const char* where) {
        if (Accept(c)) return true;
        Error(std::string("expected '") + c + "' in " + where + ", found '" + Peek().text + "'");
        return false;
    }

    std::optional<int> Resolve(const std::string& name) const {
        if (auto value = header_.Value(name)) return value;
        return StandardDialogId(name);
    }

    // ---- expressions: unary (op unary)*, with NOT, unary minus, ~ and parentheses
    Expr Expression() {
        const size_t start = pos_;
        Expr expr = Unary();
        while (IsPunct(Peek(), '|') || IsPunct(Peek(), '+') || IsPunct(Peek(), '-') || IsPunct(Peek(), '&')) {
            const char op = Next().text[0];
            Expr rhs = Unary();
            expr.styles.set.insert(expr.styles.set.end(), rhs.styles.set.begin(), rhs.styles.set.end());
            expr.styles.cleared.insert(expr.styles.cleared.end(), rhs.styles.cleared.begin(), rhs.styles.cleared.end());
            if (expr.value && rhs.value) {
                if (op == '|') expr.value = *expr.value | *rhs.value;
                else if (op == '+') expr.value = *expr.value + *rhs.value;
                else if (op == '-') expr.value = *expr.value - *rhs.value;
                else expr.value = *expr.value & *rhs.value;
            } else {
                expr.value.reset();
            }
        }
        expr.single = pos_ == start + 1;
        for (size_t i = start; i < pos_; ++i) expr.text += tokens_[i].text;
        return expr;
    }

    Expr Unary() {
        Expr expr;
        const Token token = Peek();
        if (IsWord(token, "NOT")) {
            Next();
            Expr inner = Unary();
            expr.styles.cleared = inner.styles.set;
            if (inner.value) expr.value = 0;   // clears bits of the default style; adds none
            return expr;
        }
        if (IsPunct(token, '-') || IsPunct(token, '~')) {
            Next();
            Expr inner = Unary();
            if (inner.value) expr.value = IsPunct(token, '-') ? -*inner.value : ~*inner.value;
            return expr;
        }
        if (IsPunct(token, '(')) {
            Next();
            expr = Expression();
            Expect(')', "expression");
            return expr;
        }
        if (token.type == Token::Number) {
            Next();
            expr.value = ParseInteger(token.text);
            return expr;
        }
        if (token.type == Token::Ident && !IsWord(token, "BEGIN") && !IsWord(token, "END")) {
            Next();
            expr.styles.set.push_back(token.text);
            if (auto value = Resolve(token.text)) expr.value = *value;
            return expr;
        }
        Error("expected a value, found '" + token.text + "'");
        return expr;
    }

    int Int(const char* where) {
        Expr expr = Expression();
        if (!expr.value) Error(std::string("cannot evaluate '") + expr.text + "' in " + where);
        return expr.value ? static_cast<int>(*expr.value) : 0;
    }

    // A name or id: an identifier, a number or a quoted name.
    void Name(std::string& name, std::optional<int>& id) {
        if (Peek().type == Token::String) {
            name = Next().text;
            return;
        }
        Expr expr = Expression();
        name = expr.text;
        if (expr.value) id = static_cast<int>(*expr.value);
    }

    void SkipBlock() {
        if (!IsBegin(Peek())) { Error("expected BEGIN"); return; }
        Next();
        int depth = 1;
        while (depth > 0 && !AtEnd()) {
            const Token token = Next();
            if (IsBegin(token)) ++depth;
            if (IsEndOfBlock(token)) --depth;
        }
        if (depth > 0) Error("block without END");
    }

    // ---- top level
    void TopLevel() {
        if (IsWord(Peek(), "LANGUAGE")) {
            Next();
            Expression();
            Expect(',', "LANGUAGE");
            Expression();
            return;
        }
        if (IsWord(Peek(), "STRINGTABLE")) {
            Next();
            StringTable();
            return;
        }
        std::string name;
        std::optional<int> id;
        Name(name, id);
        const Token type = Next();
        const std::string kind = Upper(type.text);
        if (kind == "DIALOGEX" || kind == "DIALOG") {
            DialogResource(name, id, kind == "DIALOGEX");
        } else if (kind == "MENUEX" || kind == "MENU") {
            MenuResource(name, id, kind == "MENUEX");
        } else if (Peek().type == Token::String) {
            out_.files_.push_back(FileResource{type.text, name, id, Next().text});
        } else if (type.type == Token::Ident || type.type == Token::Number) {
            while (!IsBegin(Peek()) && !AtEnd() && Peek().type != Token::String) Next();   // VERSIONINFO header lines
            if (IsBegin(Peek())) SkipBlock();
            else Error("resource " + name + " of type " + type.text + " has no data");
        } else {
            Error("unexpected '" + type.text + "' after " + name);
        }
    }

    void StringTable() {
        while (!IsBegin(Peek()) && !AtEnd()) Next();   // LANGUAGE, CHARACTERISTICS, VERSION options
        if (!IsBegin(Peek())) { Error("STRINGTABLE without BEGIN"); return; }
        Next();
        while (!IsEndOfBlock(Peek()) && !AtEnd()) {
            const size_t before = pos_;
            StringEntry entry;
            Name(entry.idName, entry.id);
            Accept(',');
            if (Peek().type == Token::String) entry.text = Next().text;
            else Error("string " + entry.idName + " has no text");
            out_.strings_.push_back(entry);
            if (pos_ == before) Next();
        }
        if (AtEnd()) Error("STRINGTABLE without END");
        else Next();
    }

    void DialogResource(const std::string& name, std::optional<int> id, bool extended) {
        Dialog dialog;
        dialog.idName = name;
        dialog.id = id;
        dialog.extended = extended;
        dialog.x = Int("dialog position");
        Expect(',', "dialog position");
        dialog.y = Int("dialog position");
        Expect(',', "dialog size");
        dialog.width = Int("dialog size");
        Expect(',', "dialog size");
        dialog.height = Int("dialog size");
        if (Accept(',')) Expression();   // help id
        for (;;) {
            const std::string option = Peek().type == Token::Ident ? Upper(Peek().text) : "";
            if (option == "STYLE") {
                Next();
                dialog.styles = Expression().styles;
            } else if (option == "EXSTYLE" || option == "CHARACTERISTICS" || option == "VERSION") {
                Next();
                Expression();
            } else if (option == "CAPTION") {
                Next();
                if (Peek().type == Token::String) dialog.caption = Next().text;
                else Error("CAPTION without text");
            } else if (option == "FONT") {
                Next();
                dialog.fontSize = Int("FONT");
                Expect(',', "FONT");
                if (Peek().type == Token::String) dialog.fontFace = Next().text;
                else Error("FONT without face");
                while (Accept(',')) Expression();   // weight, italic, charset
            } else if (option == "MENU" || option == "CLASS") {
                Next();
                Next();
            } else if (option == "LANGUAGE") {
                Next();
                Expression();
                Expect(',', "LANGUAGE");
                Expression();
            } else {
                break;
            }
        }
        if (!IsBegin(Peek())) {
            Error("dialog " + name + " without BEGIN");
            return;
        }
        Next();
        while (!IsEndOfBlock(Peek()) && !AtEnd()) {
            Control control;
            if (!ControlStatement(control)) {
                while (!IsEndOfBlock(Peek()) && !AtEnd()) Next();
                break;
            }
            dialog.controls.push_back(control);
        }
        if (AtEnd()) Error("dialog " + name + " without END");
        else Next();
        out_.dialogs_.push_back(dialog);
    }

    // Reads one control statement; false (with an error) when the statement is unknown.
    bool ControlStatement(Control& control) {
        static const std::map<std::string, std::string> textFirst = {
            {"LTEXT", "Static"}, {"RTEXT", "Static"}, {"CTEXT", "Static"}, {"PUSHBUTTON", "Button"},
            {"DEFPUSHBUTTON", "Button"}, {"PUSHBOX", "Button"}, {"CHECKBOX", "Button"}, {"AUTOCHECKBOX", "Button"},
            {"STATE3", "Button"}, {"AUTO3STATE", "Button"}, {"RADIOBUTTON", "Button"},
            {"AUTORADIOBUTTON", "Button"}, {"GROUPBOX", "Button"}};
        static const std::map<std::string, std::string> noText = {
            {"EDITTEXT", "Edit"}, {"LISTBOX", "ListBox"}, {"COMBOBOX", "ComboBox"}, {"SCROLLBAR", "ScrollBar"}};
        const Token statement = Next();
        control.statement = Upper(statement.text);
        const bool generic = control.statement == "CONTROL";
        const bool icon = control.statement == "ICON";
        auto withText = textFirst.find(control.statement);
        auto withoutText = noText.find(control.statement);
        if (statement.type != Token::Ident || (!generic && !icon && withText == textFirst.end() && withoutText == noText.end())) {
            out_.errors_.push_back("line " + std::to_string(statement.line) + ": unknown control statement '" + statement.text + "'");
            return false;
        }
        if (withoutText == noText.end()) {
            if (Peek().type == Token::String) control.text = Next().text;
            else control.text = Expression().text;
            Expect(',', "control text");
        }
        Expr id = Expression();
        control.idName = id.text;
        if (id.value) control.id = static_cast<int>(*id.value);
        Expect(',', "control id");
        if (generic) {
            control.className = Peek().type == Token::String ? Next().text : Expression().text;
            Expect(',', "control class");
            control.styles = Expression().styles;
            Expect(',', "control style");
        } else {
            control.className = icon ? "Static" : withText != textFirst.end() ? withText->second : withoutText->second;
        }
        control.x = Int("control position");
        Expect(',', "control position");
        control.y = Int("control position");
        const bool sizeOptional = icon;
        if (!sizeOptional || IsPunct(Peek(), ',')) {
            Expect(',', "control size");
            control.width = Int("control size");
            Expect(',', "control size");
            control.height = Int("control size");
        }
        if (!generic && Accept(',')) control.styles = Expression().styles;
        while (Accept(',')) Expression();   // extended style, help id
        return true;
    }

    void MenuResource(const std::string& name, std::optional<int> id, bool extended) {
        Menu menu;
        menu.idName = name;
        menu.id = id;
        menu.extended = extended;
        while (!IsBegin(Peek()) && !AtEnd()) Next();   // LANGUAGE and other options
        MenuItems(menu.items, extended);
        out_.menus_.push_back(menu);
    }

    void MenuItems(std::vector<MenuItem>& items, bool extended) {
        if (!IsBegin(Peek())) { Error("menu without BEGIN"); return; }
        Next();
        while (!IsEndOfBlock(Peek()) && !AtEnd()) {
            const Token keyword = Next();
            MenuItem item;
            item.popup = IsWord(keyword, "POPUP");
            if (!item.popup && !IsWord(keyword, "MENUITEM")) {
                out_.errors_.push_back("line " + std::to_string(keyword.line) + ": unknown menu statement '" + keyword.text + "'");
                continue;
            }
            if (IsWord(Peek(), "SEPARATOR")) {
                Next();
                item.separator = true;
                items.push_back(item);
                continue;
            }
            if (Peek().type == Token::String) item.text = Next().text;
            else Error("menu item without text");
            if (extended) {
                if (Accept(',') && !IsPunct(Peek(), ',')) {
                    Expr id = Expression();
                    item.idName = id.text;
                    if (id.value) item.id = static_cast<int>(*id.value);
                }
                while (Accept(',')) {
                    if (IsPunct(Peek(), ',')) continue;
                    Expr flags = Expression();
                    item.flags.insert(item.flags.end(), flags.styles.set.begin(), flags.styles.set.end());
                }
                item.separator = std::find(item.flags.begin(), item.flags.end(), "MFT_SEPARATOR") != item.flags.end();
            } else {
                if (!item.popup && Expect(',', "MENUITEM")) {
                    Expr id = Expression();
                    item.idName = id.text;
                    if (id.value) item.id = static_cast<int>(*id.value);
                }
                while (Accept(',') || (Peek().type == Token::Ident && !IsBegin(Peek()) && !IsEndOfBlock(Peek()) &&
                                       !IsWord(Peek(), "MENUITEM") && !IsWord(Peek(), "POPUP")))
                    item.flags.push_back(Next().text);
            }
            if (item.popup) MenuItems(item.children, extended);
            items.push_back(item);
        }
        if (AtEnd()) Error("menu without END");
        else Next();
    }

    const ResourceHeader& header_;
    RcFile& out_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
};

RcFile RcFile::Parse(const std::string& text, const ResourceHeader& header) {
    RcFile file;
    Parser(text, header, file).Run();
    return file;
}


std::optional<int> StandardDialogId(const std::string& name) {
    static const std::map<std::string, int> ids = {
        {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5},
        {"IDYES", 6}, {"IDNO", 7}, {"IDCLOSE", 8}, {"IDHELP", 9}, {"IDC_STATIC", -1}};
    auto found = ids.find(name);
    if (found == ids.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace rc
