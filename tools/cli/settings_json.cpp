#include "cli/settings_json.h"

#include <set>

namespace zt::cli {

namespace {

constexpr const char* kRefused = "refused";
constexpr const char* kNotShowsShape = "not the JSON object that ztcli show --json prints";

Json Value(const ShownSetting& s) {
    if (!s.value) return nullptr;
    switch (s.kind) {
        case Kind::Number:
            return std::stoll(*s.value);
        case Kind::Flag:
            return *s.value == "true";
        default:
            return *s.value;
    }
}

// Whether name is the name of a group of settings ("user1", "user1.rtty").
bool IsGroup(const std::string& name) {
    for (const NamedSetting& n : NamedSettings())
        if (n.name.size() > name.size() && n.name.starts_with(name) && n.name[name.size()] == '.')
            return true;
    return false;
}

// JSON's own types, as far as a setting tells them apart.
enum class Type { Null, Boolean, Integer, Fraction, String };

Type Wanted(Kind kind) {
    switch (kind) {
        case Kind::Number:
            return Type::Integer;
        case Kind::Flag:
            return Type::Boolean;
        default:
            return Type::String;
    }
}

const char* WantedText(Kind kind) {
    switch (Wanted(kind)) {
        case Type::Integer:
            return "a whole number";
        case Type::Boolean:
            return "true or false";
        default:
            return "a string";
    }
}

// Reads the document as it is parsed, so that it stops at the first thing
// that is not of show's shape: no deeper than show's groups, and never a
// whole document in memory beside the text.
class SettingsReader : public nlohmann::json_sax<Json> {
  public:
    explicit SettingsReader(std::vector<Assignment>& out) : out_(out) {}
    std::optional<std::string> trouble;

    bool null() override { return Leaf(Type::Null, "null"); }
    bool boolean(bool on) override { return Leaf(Type::Boolean, on ? "true" : "false"); }
    bool number_integer(number_integer_t n) override {
        return Leaf(Type::Integer, std::to_string(n));
    }
    bool number_unsigned(number_unsigned_t n) override {
        return Leaf(Type::Integer, std::to_string(n));
    }
    bool number_float(number_float_t, const string_t& text) override {
        return Leaf(Type::Fraction, text);
    }
    bool string(string_t& text) override { return Leaf(Type::String, text); }
    bool binary(binary_t&) override { return Refuse(kNotShowsShape); }  // not from JSON text

    bool start_object(std::size_t) override {
        if (open_.empty()) {
            open_.push_back({"", {}, false});
            return true;
        }
        const std::string name = Named();
        if (open_.back().remark || (!IsGroup(name) && !(open_.size() == 1 && key_ == kRefused)))
            return FindSetting(name) ? Mismatch(name, "an object")
                                     : Refuse("no group of settings is called \"" + name + "\"");
        open_.push_back({name, {}, name == kRefused});
        return true;
    }
    bool key(string_t& key) override {
        if (!open_.back().keys.insert(key).second) return Refuse(Named(key) + ": named twice");
        key_ = key;
        return true;
    }
    bool end_object() override {
        const Object& o = open_.back();
        if (o.keys.empty())
            return Refuse(o.name.empty() ? "the document names no setting"
                                         : o.name + ": an empty object sets nothing");
        open_.pop_back();
        return true;
    }
    bool start_array(std::size_t) override {
        if (open_.empty()) return Refuse(kNotShowsShape);
        return Refuse(Named() + ": a list is not a setting's value");
    }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& e) override {
        // What nlohmann says, without its "[json.exception.parse_error.101] "
        // and the token it read last, which may be a string of any length.
        std::string what = e.what();
        what.erase(0, what.find("] ") + 2);
        const std::size_t token = what.find("; last read: '");
        const std::size_t after = what.rfind("'; ");
        if (token != std::string::npos)
            what.erase(token, after > token && after != std::string::npos ? after + 1 - token
                                                                          : std::string::npos);
        return Refuse("not JSON: " + what);
    }

  private:
    struct Object {
        std::string name;  // dotted, "" for the document
        std::set<std::string> keys;
        bool remark;  // show's "refused": its members are no settings
    };

    bool Refuse(std::string text) {
        trouble = std::move(text);
        return false;
    }
    bool Mismatch(const std::string& name, const std::string& given) {
        return Refuse(name + ": takes " + WantedText(FindSetting(name)->row->kind) + ", not " +
                      given);
    }
    std::string Named(const std::string& key) const {
        return open_.back().name.empty() ? key : open_.back().name + "." + key;
    }
    std::string Named() const { return Named(key_); }

    bool Leaf(Type type, const std::string& text) {
        if (open_.empty()) return Refuse(kNotShowsShape);
        if (open_.back().remark) return true;
        const std::string name = Named();
        const NamedSetting* setting = FindSetting(name);
        if (!setting) return Refuse(UnknownSettingText(name));
        if (type != Wanted(setting->row->kind))
            return Mismatch(name, type == Type::String ? JsonString(text) : text);
        out_.push_back({name, text});
        return true;
    }

    std::vector<Assignment>& out_;
    std::vector<Object> open_;
    std::string key_;
};

}  // namespace

std::string JsonText(const Json& document, bool indented) {
    return document.dump(indented ? 2 : -1, ' ', true, Json::error_handler_t::replace) + "\n";
}

Json SettingsJson(const std::vector<ShownSetting>& settings) {
    Json root = Json::object();
    Json refused = Json::object();
    for (const ShownSetting& s : settings) {
        Json* at = &root;
        std::size_t from = 0;
        for (std::size_t dot; (dot = s.name.find('.', from)) != std::string::npos; from = dot + 1)
            at = &(*at)[s.name.substr(from, dot - from)];
        (*at)[s.name.substr(from)] = Value(s);
        if (s.refusal) refused[s.name] = *s.refusal;
    }
    if (!refused.empty()) root[kRefused] = refused;
    return root;
}

std::optional<std::string> SettingsFromJson(std::string_view text, std::vector<Assignment>& out) {
    // The parser takes a 0 byte for the end of the text, and would pass over
    // whatever follows it.
    if (const std::size_t zero = text.find('\0'); zero != std::string_view::npos)
        return "not JSON: a 0 byte at byte " + std::to_string(zero + 1);
    std::vector<Assignment> found;
    SettingsReader reader(found);
    if (!Json::sax_parse(text.begin(), text.end(), &reader))
        return reader.trouble.value_or("not JSON");
    out.insert(out.end(), found.begin(), found.end());
    return std::nullopt;
}

}  // namespace zt::cli
