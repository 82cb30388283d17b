// Velmora — a JPEG's further pictures and video, and the XMP that points at them.
#include "io/jpeg_containers.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

constexpr char kXmpPrefix[] = "http://ns.adobe.com/xap/1.0/"; // and its terminating zero

constexpr std::string_view kGainMapNs = "http://ns.adobe.com/hdr-gain-map/1.0/";
constexpr std::string_view kContainerNs = "http://ns.google.com/photos/1.0/container/";
constexpr std::string_view kItemNs = "http://ns.google.com/photos/1.0/container/item/";
constexpr std::string_view kCameraNs = "http://ns.google.com/photos/1.0/camera/";

constexpr std::string_view kMotionProperties[] = {
    "MotionPhoto", "MotionPhotoVersion", "MotionPhotoPresentationTimestampUs",
    "MicroVideo",  "MicroVideoVersion",  "MicroVideoOffset", "MicroVideoPresentationTimestampUs",
};

// The prefixes a packet binds to the namespaces it matters which, with the usual ones besides:
// a writer may choose its own prefix, and a fragment may lean on the usual one undeclared.
struct Prefixes {
    std::vector<std::string> gainMap{"hdrgm"};
    std::vector<std::string> container{"Container", "GContainer"};
    std::vector<std::string> item{"Item", "GContainerItem"};
    std::vector<std::string> camera{"GCamera", "Camera"};
};

Prefixes PrefixesOf(std::string_view xmp)
{
    Prefixes p;
    for (std::size_t at = xmp.find("xmlns:"); at != std::string_view::npos; at = xmp.find("xmlns:", at + 6)) {
        const std::size_t eq = xmp.find('=', at);
        if (eq == std::string_view::npos || eq + 2 >= xmp.size())
            break;
        std::string_view prefix = xmp.substr(at + 6, eq - at - 6);
        while (!prefix.empty() && std::isspace(static_cast<unsigned char>(prefix.back())))
            prefix.remove_suffix(1);
        std::size_t q = eq + 1;
        while (q < xmp.size() && std::isspace(static_cast<unsigned char>(xmp[q])))
            ++q;
        if (q >= xmp.size() || (xmp[q] != '"' && xmp[q] != '\''))
            continue;
        const std::size_t close = xmp.find(xmp[q], q + 1);
        if (close == std::string_view::npos)
            break;
        const std::string_view uri = xmp.substr(q + 1, close - q - 1);
        std::vector<std::string> *into = uri == kGainMapNs ? &p.gainMap
                                         : uri == kContainerNs ? &p.container
                                         : uri == kItemNs ? &p.item
                                         : uri == kCameraNs ? &p.camera
                                                            : nullptr;
        if (into && std::find(into->begin(), into->end(), prefix) == into->end())
            into->emplace_back(prefix);
    }
    return p;
}

bool InPrefixes(std::string_view qualified, const std::vector<std::string> &prefixes, std::string_view *local = nullptr)
{
    const std::size_t colon = qualified.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view prefix = qualified.substr(0, colon);
    if (std::find(prefixes.begin(), prefixes.end(), prefix) == prefixes.end())
        return false;
    if (local)
        *local = qualified.substr(colon + 1);
    return true;
}

std::string_view LocalName(std::string_view qualified)
{
    const std::size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

enum class TagKind { Start, End, Other };

struct Tag {
    TagKind kind = TagKind::Other;
    std::size_t begin = 0, end = 0; // '<' and one past '>'
    std::string_view name;
    bool selfClosing = false;
};

bool IsNameChar(char c) { return !std::isspace(static_cast<unsigned char>(c)) && c != '/' && c != '>' && c != '='; }

// The tag that starts at `at` (a '<'); nothing when the text ends inside it.
std::optional<Tag> ReadTag(std::string_view text, std::size_t at)
{
    Tag t;
    t.begin = at;
    if (text.compare(at, 4, "<!--") == 0) {
        const std::size_t close = text.find("-->", at + 4);
        if (close == std::string_view::npos)
            return std::nullopt;
        t.end = close + 3;
        return t;
    }
    std::size_t i = at + 1;
    if (i < text.size() && (text[i] == '?' || text[i] == '!')) {
        const std::size_t close = text.find('>', i);
        if (close == std::string_view::npos)
            return std::nullopt;
        t.end = close + 1;
        return t;
    }
    t.kind = TagKind::Start;
    if (i < text.size() && text[i] == '/') {
        t.kind = TagKind::End;
        ++i;
    }
    const std::size_t nameStart = i;
    while (i < text.size() && IsNameChar(text[i]))
        ++i;
    t.name = text.substr(nameStart, i - nameStart);
    char quote = 0;
    for (; i < text.size(); ++i) {
        if (quote) {
            if (text[i] == quote)
                quote = 0;
        } else if (text[i] == '"' || text[i] == '\'') {
            quote = text[i];
        } else if (text[i] == '>') {
            t.end = i + 1;
            t.selfClosing = t.kind == TagKind::Start && text[i - 1] == '/';
            return t.name.empty() ? std::nullopt : std::optional<Tag>(t);
        }
    }
    return std::nullopt;
}

// One past the end tag that closes the element whose start tag is `start`.
std::optional<std::size_t> ElementEnd(std::string_view text, const Tag &start)
{
    if (start.selfClosing)
        return start.end;
    int depth = 1;
    for (std::size_t at = text.find('<', start.end); at != std::string_view::npos; at = text.find('<', at)) {
        const std::optional<Tag> t = ReadTag(text, at);
        if (!t)
            return std::nullopt;
        if (t->name == start.name && t->kind == TagKind::Start && !t->selfClosing)
            ++depth;
        else if (t->name == start.name && t->kind == TagKind::End && --depth == 0)
            return t->end;
        at = t->end;
    }
    return std::nullopt;
}

struct Attribute {
    std::size_t begin = 0, end = 0; // from the whitespace before the name to the closing quote
    std::string_view name, value;
};

std::vector<Attribute> AttributesOf(std::string_view tag)
{
    std::vector<Attribute> out;
    std::size_t i = 1;
    while (i < tag.size() && IsNameChar(tag[i]))
        ++i;
    while (i < tag.size()) {
        const std::size_t begin = i;
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i])))
            ++i;
        const std::size_t nameStart = i;
        while (i < tag.size() && IsNameChar(tag[i]))
            ++i;
        if (i == nameStart)
            break;
        Attribute a{begin, 0, tag.substr(nameStart, i - nameStart), {}};
        while (i < tag.size() && (std::isspace(static_cast<unsigned char>(tag[i])) || tag[i] == '='))
            ++i;
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\''))
            break;
        const std::size_t close = tag.find(tag[i], i + 1);
        if (close == std::string_view::npos)
            break;
        a.value = tag.substr(i + 1, close - i - 1);
        a.end = i = close + 1;
        out.push_back(a);
    }
    return out;
}

// The start tag without the attributes `drop` names.
template <typename Drop>
std::string StripAttributes(std::string_view tag, Drop drop)
{
    std::string out;
    std::size_t kept = 0;
    for (const Attribute &a : AttributesOf(tag)) {
        if (!drop(a.name))
            continue;
        out.append(tag.substr(kept, a.begin - kept));
        kept = a.end;
    }
    out.append(tag.substr(kept));
    return out;
}

// A property given as an attribute (`P:Name="v"`) or as a simple element (`<P:Name>v</P:Name>`).
template <typename Match>
std::optional<std::string_view> PropertyValue(std::string_view text, Match match)
{
    for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at)) {
        const std::optional<Tag> t = ReadTag(text, at);
        if (!t)
            return std::nullopt;
        if (t->kind == TagKind::Start) {
            if (match(t->name) && !t->selfClosing) {
                const std::size_t close = text.find('<', t->end);
                if (close != std::string_view::npos)
                    return text.substr(t->end, close - t->end);
            }
            for (const Attribute &a : AttributesOf(text.substr(t->begin, t->end - t->begin)))
                if (match(a.name))
                    return a.value;
        }
        at = t->end;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> WholeNumber(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    std::uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + std::uint64_t(c - '0');
    }
    return n > 0 ? std::optional<std::uint64_t>(n) : std::nullopt;
}

// Each container directory item as the text of its rdf:li element.
template <typename Each>
void ForEachItem(std::string_view inner, Each each)
{
    for (std::size_t at = inner.find('<'); at != std::string_view::npos; at = inner.find('<', at)) {
        const std::optional<Tag> t = ReadTag(inner, at);
        if (!t)
            return;
        if (t->kind == TagKind::Start && LocalName(t->name) == "li") {
            const std::optional<std::size_t> end = ElementEnd(inner, *t);
            if (!end)
                return;
            each(t->begin, *end);
            at = *end;
            continue;
        }
        at = t->end;
    }
}

std::string_view SemanticOf(std::string_view item, const Prefixes &p)
{
    return PropertyValue(item, [&](std::string_view n) {
               std::string_view local;
               return InPrefixes(n, p.item, &local) && local == "Semantic";
           }).value_or(std::string_view{});
}

bool IsDirectory(std::string_view name, const Prefixes &p)
{
    std::string_view local;
    return InPrefixes(name, p.container, &local) && local == "Directory";
}

// A directory element with only the items the output still holds; empty when none but the
// primary picture's is left.
std::string FilteredDirectory(std::string_view element, std::size_t startTagEnd, const Prefixes &p, bool keepVideo)
{
    std::string out(element.substr(0, startTagEnd));
    std::string_view inner = element.substr(startTagEnd);
    std::size_t kept = 0;
    int others = 0;
    ForEachItem(inner, [&](std::size_t begin, std::size_t end) {
        const std::string_view item = inner.substr(begin, end - begin);
        const std::string_view semantic = SemanticOf(item, p);
        out.append(inner.substr(kept, begin - kept));
        kept = end;
        if (semantic == "Primary" || (keepVideo && semantic == "MotionPhoto")) {
            others += semantic != "Primary";
            // Nothing lies between the new primary picture and the video any more.
            std::string stripped;
            for (std::size_t at = 0; at < item.size();) {
                const std::size_t lt = item.find('<', at);
                const std::optional<Tag> t = lt == std::string_view::npos ? std::nullopt : ReadTag(item, lt);
                if (!t) {
                    stripped.append(item.substr(at));
                    break;
                }
                stripped.append(item.substr(at, lt - at));
                const std::string_view tag = item.substr(t->begin, t->end - t->begin);
                if (t->kind == TagKind::Start)
                    stripped += StripAttributes(tag, [&](std::string_view n) {
                        std::string_view local;
                        return InPrefixes(n, p.item, &local) && local == "Padding";
                    });
                else
                    stripped.append(tag);
                at = t->end;
            }
            out += stripped;
        }
    });
    if (others == 0)
        return {};
    out.append(inner.substr(kept));
    return out;
}

} // namespace

bool IsMpfIndex(const unsigned char *data, std::size_t length)
{
    return length >= 4 && std::memcmp(data, "MPF\0", 4) == 0;
}

std::size_t XmpPrefixLength() { return sizeof kXmpPrefix; }

bool IsXmpMarker(const unsigned char *data, std::size_t length)
{
    return length >= sizeof kXmpPrefix && std::memcmp(data, kXmpPrefix, sizeof kXmpPrefix) == 0;
}

std::optional<std::uint64_t> MotionVideoLength(std::string_view xmp)
{
    const Prefixes p = PrefixesOf(xmp);
    std::optional<std::uint64_t> length;
    for (std::size_t at = xmp.find('<'); at != std::string_view::npos && !length; at = xmp.find('<', at)) {
        const std::optional<Tag> t = ReadTag(xmp, at);
        if (!t)
            break;
        at = t->end;
        if (t->kind != TagKind::Start || !IsDirectory(t->name, p))
            continue;
        const std::optional<std::size_t> end = ElementEnd(xmp, *t);
        if (!end)
            break;
        const std::string_view inner = xmp.substr(t->end, *end - t->end);
        ForEachItem(inner, [&](std::size_t begin, std::size_t itemEnd) {
            const std::string_view item = inner.substr(begin, itemEnd - begin);
            if (!length && SemanticOf(item, p) == "MotionPhoto")
                length = WholeNumber(PropertyValue(item, [&](std::string_view n) {
                                         std::string_view local;
                                         return InPrefixes(n, p.item, &local) && local == "Length";
                                     }).value_or(std::string_view{}));
        });
    }
    if (length)
        return length;
    const auto offset = PropertyValue(xmp, [&](std::string_view n) {
        std::string_view local;
        return InPrefixes(n, p.camera, &local) && local == "MicroVideoOffset";
    });
    return offset ? WholeNumber(*offset) : std::nullopt;
}

bool LooksLikeVideo(const unsigned char *start, std::size_t length)
{
    return length >= kVideoProbeBytes && std::memcmp(start + 4, "ftyp", 4) == 0;
}

std::string WithoutStaleClaims(std::string_view xmp, bool keepVideo)
{
    const Prefixes p = PrefixesOf(xmp);
    const auto stale = [&](std::string_view name) {
        std::string_view local;
        if (InPrefixes(name, p.gainMap))
            return true;
        if (name.substr(0, 6) == "xmlns:")
            return std::find(p.gainMap.begin(), p.gainMap.end(), name.substr(6)) != p.gainMap.end();
        return !keepVideo && InPrefixes(name, p.camera, &local)
               && std::find(std::begin(kMotionProperties), std::end(kMotionProperties), local)
                      != std::end(kMotionProperties);
    };
    std::string out;
    out.reserve(xmp.size());
    std::size_t at = 0;
    while (at < xmp.size()) {
        const std::size_t lt = xmp.find('<', at);
        const std::optional<Tag> t = lt == std::string_view::npos ? std::nullopt : ReadTag(xmp, lt);
        if (!t) {
            out.append(xmp.substr(at));
            break;
        }
        out.append(xmp.substr(at, lt - at));
        at = t->end;
        const std::string_view tag = xmp.substr(t->begin, t->end - t->begin);
        if (t->kind != TagKind::Start) {
            out.append(tag);
            continue;
        }
        const bool drop = stale(t->name);
        if (drop || IsDirectory(t->name, p)) {
            const std::optional<std::size_t> end = ElementEnd(xmp, *t);
            if (!end) { // a packet cut short: leave the rest as it is
                out.append(xmp.substr(t->begin));
                break;
            }
            const std::string kept =
                drop ? std::string() : FilteredDirectory(xmp.substr(t->begin, *end - t->begin), t->end - t->begin, p, keepVideo);
            // The whitespace that led up to a removed element goes with it.
            if (kept.empty())
                while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back())))
                    out.pop_back();
            out += kept;
            at = *end;
            continue;
        }
        out += StripAttributes(tag, stale);
    }
    return out;
}

} // namespace velmora
