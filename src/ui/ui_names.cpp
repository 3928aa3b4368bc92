// What a screen reader calls each control, and the access keys of captions.
//
// Windows names a control after the static text that comes before it in tab
// order; in these templates the label stands right of its edit, or above its
// list, so the names are worked out here from where the labels stand, once,
// and both hosts hand them to their platforms.

#include <cctype>
#include <cstdlib>
#include <tuple>

#include "ui/ui.h"

namespace ui {

namespace {

constexpr int kClosedComboHeight = 12;  // a combo box's own height; its cy is the list's
constexpr int kBesideGap = 8;           // most units between a control and a label right of it
constexpr int kAboveGap = 4;            // most units between a label and the control below it
constexpr int kAlignSlack = 4;          // how far a label above may start from the control

int heightOf(const ControlTemplate& c) {
    return c.kind == Kind::ComboBox ? kClosedComboHeight : c.cy;
}

bool readsMarks(Kind k) {
    return k == Kind::PushButton || k == Kind::CheckBox || k == Kind::RadioButton ||
           k == Kind::GroupBox;
}

// How far a static stands from the place of c's label; -1 when it stands
// elsewhere.
int labelDistance(const ControlTemplate& c, const ControlTemplate& label) {
    const int right = c.x + c.cx;
    const int middle = label.y + label.cy / 2;
    if (label.x >= right && label.x - right <= kBesideGap && middle >= c.y &&
        middle < c.y + heightOf(c))
        return label.x - right;
    const int bottom = label.y + label.cy;
    if (bottom <= c.y && c.y - bottom <= kAboveGap && std::abs(label.x - c.x) <= kAlignSlack)
        return c.y - bottom;
    return -1;
}

// Line breaks and runs of blanks become one blank; none at either end.
std::string oneLine(const std::string& s) {
    std::string out;
    bool blank = false;
    for (char ch : s) {
        if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n') {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += ch;
    }
    return out;
}

const char* plainName(const DialogTemplate& tmpl, int id) {
    for (std::size_t i = 0; i < tmpl.plainNameCount; ++i)
        if (tmpl.plainNames[i].id == id) return tmpl.plainNames[i].name;
    return nullptr;
}

}  // namespace

bool needsName(Kind k) {
    return k != Kind::Static && k != Kind::GroupBox;
}

std::string captionText(const ControlTemplate& c, char* key) {
    if (key) *key = 0;
    const std::string caption = c.caption ? c.caption : "";
    if (!readsMarks(c.kind)) return caption;
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != '&' && key && !*key)
                *key = static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i])));
        }
        out += caption[i];
    }
    return out;
}

std::string markAccessKey(const std::string& text, char key) {
    auto is = [key](char ch) {
        return key && std::toupper(static_cast<unsigned char>(ch)) ==
                          std::toupper(static_cast<unsigned char>(key));
    };
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i < text.size() && at == std::string::npos; ++i)
        if (is(text[i]) && (i == 0 || std::isspace(static_cast<unsigned char>(text[i - 1]))))
            at = i;
    for (std::size_t i = 0; i < text.size() && at == std::string::npos; ++i)
        if (is(text[i])) at = i;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == at || text[i] == '&') out += '&';
        out += text[i];
    }
    return out;
}

ControlLabel nameOf(const DialogTemplate& tmpl, const ControlTemplate& c) {
    if (!needsName(c.kind)) return {};
    if (c.kind == Kind::PushButton || c.kind == Kind::CheckBox || c.kind == Kind::RadioButton)
        return {oneLine(captionText(c)), 0};
    if (const char* plain = plainName(tmpl, c.id)) return {oneLine(plain), 0};
    const bool hidden = (c.style & style::Hidden) != 0;
    const ControlTemplate* best = nullptr;
    std::tuple<bool, int> bestRank;  // (visibility differs, distance): smaller is better
    for (std::size_t i = 0; i < tmpl.controlCount; ++i) {
        const ControlTemplate& s = tmpl.controls[i];
        if (s.kind != Kind::Static || !s.caption || !*s.caption) continue;
        const int distance = labelDistance(c, s);
        if (distance < 0) continue;
        const std::tuple<bool, int> rank{((s.style & style::Hidden) != 0) != hidden, distance};
        if (!best || rank < bestRank) {
            best = &s;
            bestRank = rank;
        }
    }
    if (!best) return {};
    return {oneLine(best->caption), best->id};
}

}  // namespace ui
