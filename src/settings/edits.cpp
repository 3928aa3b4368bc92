#include "settings/edits.h"

#include "settings/messages.h"

namespace zt {

namespace {

// A user's typed numbers in the editor's order. given(row) is the value a row
// is checked with, or nothing when it is not; a row another must stay above
// is checked with that one, both as they end up, when either is given.
std::optional<Refused> FirstRefusal(const SettingsImage& image, User user, const auto& given) {
    const auto endsUp = [&](const Setting& s) {
        return given(s).value_or(ValueOf(image, user, s).value_or(0));
    };
    for (const Setting* s : kEditorChecks) {
        const Setting* below = RowBelow(*s);
        if (!given(*s) && !(below && given(*below))) continue;
        if (below && endsUp(*s) <= endsUp(*below)) return Refused{s, user, s->notAbove};
        for (const Setting* row : {below, s})
            if (row)
                if (auto text = Refusal(*row, user, endsUp(*row))) return Refused{row, user, *text};
    }
    return std::nullopt;
}

}  // namespace

std::optional<Refused> ApplyEdits(SettingsImage& image, const std::vector<Edit>& edits) {
    for (User user : kUsers) {
        const auto edited = [&](const Setting& s) {
            std::optional<std::int64_t> value;
            for (const Edit& e : edits)
                if (e.setting == &s && e.user == user) value = e.value;
            return value;
        };
        if (auto refused = FirstRefusal(image, user, edited)) return refused;
    }
    SettingsImage result = image;
    std::optional<MessageTexts> texts;
    for (const Edit& e : edits) {
        if (e.setting->kind != Kind::Text) {
            Store(result, e.user, *e.setting, e.value);
            continue;
        }
        if (!texts) texts = DecodeMessages(image);
        (*texts)[static_cast<std::size_t>(MessageIndex(*e.setting))] = e.text;
    }
    if (texts)
        if (auto error = EncodeMessages(*texts, result))
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

std::optional<Refused> CheckImage(const SettingsImage& image) {
    for (User user : kUsers) {
        const auto held = [&](const Setting& s) {
            return std::optional<std::int64_t>(ValueOf(image, user, s).value_or(0));
        };
        if (auto refused = FirstRefusal(image, user, held)) return refused;
    }
    return std::nullopt;
}

}  // namespace zt
