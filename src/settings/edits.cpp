#include "settings/edits.h"

namespace zt {

namespace {

// A user's edited numbers in the editor's order; a row another must stay
// above is checked with that one, both as they end up, when either is edited.
std::optional<Refused> FirstRefusal(const SettingsImage& image, User user,
                                    const std::vector<Edit>& edits) {
    const auto edited = [&](const Setting& s) {
        std::optional<std::int64_t> value;
        for (const Edit& e : edits)
            if (e.setting == &s && e.user == user) value = e.value;
        return value;
    };
    const auto endsUp = [&](const Setting& s) {
        return edited(s).value_or(ValueOf(image, user, s).value_or(0));
    };
    for (const Setting* s : kEditorChecks) {
        const Setting* below = RowBelow(*s);
        if (!edited(*s) && !(below && edited(*below))) continue;
        if (below && endsUp(*s) <= endsUp(*below)) return Refused{s, user, s->notAbove};
        for (const Setting* row : {below, s})
            if (auto text = row ? Refusal(*row, user, endsUp(*row)) : std::nullopt)
                return Refused{row, user, *text};
    }
    return std::nullopt;
}

}  // namespace

std::optional<Refused> ApplyEdits(SettingsImage& image, const std::vector<Edit>& edits) {
    for (User user : kUsers)
        if (auto refused = FirstRefusal(image, user, edits)) return refused;
    SettingsImage result = image;
    MessageTexts texts = DecodeMessages(image);
    bool messages = false;
    for (const Edit& e : edits) {
        if (e.setting->kind == Kind::Text)
            texts[MessageIndex(*e.setting)] = e.text, messages = true;
        else
            Store(result, e.user, *e.setting, e.value);
    }
    if (auto error = messages ? EncodeMessages(texts, result) : std::nullopt)
        return Refused{error->message ? &SettingNamed("msg1") + *error->message : nullptr,
                       User::One, error->text};
    image = result;
    return std::nullopt;
}

std::optional<std::string> StoredRefusal(const SettingsImage& image, User user, const Setting& s) {
    if (!s.typed()) return std::nullopt;
    const std::int64_t value = ValueOf(image, user, s).value_or(0);
    const Setting* below = RowBelow(s);
    if (below && value <= ValueOf(image, user, *below).value_or(0)) return s.notAbove;
    return Refusal(s, user, value);
}

// Every typed number edited to the value it holds, on a copy.
std::optional<Refused> CheckImage(const SettingsImage& image) {
    std::vector<Edit> held;
    for (const NamedSetting& n : NamedSettings())
        if (n.row->typed())
            held.push_back({n.row, n.user, ValueOf(image, n.user, *n.row).value_or(0)});
    SettingsImage copy = image;
    return ApplyEdits(copy, held);
}

}  // namespace zt
