// The three OMM encodings: CSV through our own reader, JSON through
// simdjson, XML through pugixml. Each gathers one record's keyword texts and
// hands them to OmmToEntry.
#include <charconv>
#include <cstring>
#include <pugixml.hpp>
#include <simdjson.h>

#include "uCsv.h"
#include "uLoadSave.h"
#include "uOmm.h"

namespace {

constexpr int kMaxXmlDepth = 8;  // ndm / omm / body / segment / data / meanElements / keyword

std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// Stops at the entry cap, saying so once.
bool Full(const std::vector<TElementEntry>& entries, TElementReadReport& report) {
    if (entries.size() < kMaxElementEntries) return false;
    if (report.error.empty())
        report.error = "more than " + std::to_string(kMaxElementEntries) + " element sets; the rest was not read";
    return true;
}

void Take(const TOmmFields& fields, std::vector<TElementEntry>& entries, TElementReadReport& report) {
    ++report.records;
    TElementEntry entry;
    if (const TStatus made = OmmToEntry(fields, entry); made) entries.push_back(entry);
    else report.Skip(made.message);
}

std::string_view LocalName(const char* name) {
    std::string_view n(name);
    const auto colon = n.rfind(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

// The keyword elements below a segment: metadata, data and its groups.
void CollectXml(const pugi::xml_node& node, int depth, TOmmFields& fields, int& hint) {
    if (depth > kMaxXmlDepth) return;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) continue;
        if (child.first_child().type() == pugi::node_element) {
            CollectXml(child, depth + 1, fields, hint);
            continue;
        }
        const int key = OmmKeyOf(LocalName(child.name()), hint);
        if (key < 0) continue;
        hint = key;
        fields.Set(key, child.child_value());
    }
}

pugi::xml_node Child(const pugi::xml_node& node, std::string_view local) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && LocalName(c.name()) == local) return c;
    return {};
}

void ReadXmlOmm(const pugi::xml_node& omm, std::vector<TElementEntry>& entries, TElementReadReport& report) {
    const pugi::xml_node body = Child(omm, "body");
    for (pugi::xml_node seg = body.first_child(); seg; seg = seg.next_sibling()) {
        if (seg.type() != pugi::node_element || LocalName(seg.name()) != "segment") continue;
        if (Full(entries, report)) return;
        TOmmFields fields;
        int hint = -1;
        CollectXml(seg, 0, fields, hint);
        Take(fields, entries, report);
    }
}

}  // namespace

TElementFormat DetectElementFormat(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    text = Trim(text);
    if (text.empty()) return TElementFormat::kTwoLine;
    if (text[0] == '[' || text[0] == '{') return TElementFormat::kOmmJson;
    if (text[0] == '<') return TElementFormat::kOmmXml;
    const std::string_view first = text.substr(0, text.find_first_of("\r\n"));
    if (first.find(',') != std::string_view::npos &&
        (first.find("NORAD_CAT_ID") != std::string_view::npos || first.find("MEAN_MOTION") != std::string_view::npos ||
         first.find("OBJECT_NAME") != std::string_view::npos))
        return TElementFormat::kOmmCsv;
    return TElementFormat::kTwoLine;
}

void ReadOmmCsv(std::string_view text, std::vector<TElementEntry>& entries, TElementReadReport& report) {
    report.format = TElementFormat::kOmmCsv;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    TCsvReader csv(text);
    std::vector<std::string_view> fields;
    if (!csv.Next(fields)) {
        report.error = "the CSV text is empty";
        return;
    }
    if (*csv.Fault()) {
        report.error = std::string("the CSV header is malformed: ") + csv.Fault();
        return;
    }
    int column[kOmmKeyCount];
    std::fill(std::begin(column), std::end(column), -1);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int key = OmmKeyOf(fields[i]);
        if (key < 0) continue;
        if (column[key] >= 0) {
            report.error = "the CSV header names " + std::string(OmmKeyName(key)) + " twice";
            return;
        }
        column[key] = static_cast<int>(i);
    }
    // Without these no record can make element lines: say so once, not per row.
    for (int key : {kOmmNoradCatId, kOmmEpoch, kOmmMeanMotion, kOmmEccentricity, kOmmInclination,
                    kOmmRaOfAscNode, kOmmArgOfPericenter, kOmmMeanAnomaly, kOmmBstar, kOmmMeanMotionDot,
                    kOmmMeanMotionDdot})
        if (column[key] < 0) {
            report.error = "the CSV header has no " + std::string(OmmKeyName(key)) + " column";
            return;
        }
    const std::size_t width = fields.size();
    while (csv.Next(fields)) {
        if (Full(entries, report)) return;
        if (*csv.Fault()) {
            ++report.records;
            report.Skip(std::string("with ") + csv.Fault());
            continue;
        }
        if (fields.size() != width) {
            ++report.records;
            report.Skip("whose field count differs from the header's");
            continue;
        }
        TOmmFields record;
        for (int key = 0; key < kOmmKeyCount; ++key)
            if (column[key] >= 0) record.Set(key, fields[static_cast<std::size_t>(column[key])]);
        Take(record, entries, report);
    }
}

void ReadOmmJson(std::string& text, std::vector<TElementEntry>& entries, TElementReadReport& report) {
    report.format = TElementFormat::kOmmJson;
    // simdjson reads a little past the end: the padding lives in the caller's buffer.
    text.reserve(text.size() + simdjson::SIMDJSON_PADDING);
    simdjson::dom::parser parser(text.size() + simdjson::SIMDJSON_PADDING);
    simdjson::dom::element root;
    if (const auto err = parser.parse(text.data(), text.size(), false).get(root); err) {
        report.error = std::string("not valid JSON: ") + simdjson::error_message(err);
        return;
    }
    // Numbers are written back as their shortest exact text for OmmToEntry.
    char numbers[kOmmKeyCount][32];
    auto readObject = [&](simdjson::dom::element element) {
        simdjson::dom::object object;
        if (element.get(object)) {
            ++report.records;
            report.Skip("that are not JSON objects");
            return;
        }
        TOmmFields fields;
        int hint = -1;
        for (auto [name, value] : object) {
            const int key = OmmKeyOf(name, hint);
            if (key < 0) continue;
            hint = key;
            char* buf = numbers[key];
            std::to_chars_result r{buf, std::errc()};
            switch (value.type()) {
                case simdjson::dom::element_type::STRING: fields.Set(key, value.get_string().value_unsafe()); continue;
                case simdjson::dom::element_type::INT64: r = std::to_chars(buf, buf + 32, value.get_int64().value_unsafe()); break;
                case simdjson::dom::element_type::UINT64: r = std::to_chars(buf, buf + 32, value.get_uint64().value_unsafe()); break;
                case simdjson::dom::element_type::DOUBLE: r = std::to_chars(buf, buf + 32, value.get_double().value_unsafe()); break;
                case simdjson::dom::element_type::NULL_VALUE: continue;
                default:
                    ++report.records;
                    report.Skip("whose " + std::string(OmmKeyName(key)) + " is neither number nor text");
                    return;
            }
            fields.Set(key, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
        }
        Take(fields, entries, report);
    };
    simdjson::dom::array array;
    if (!root.get(array)) {
        for (simdjson::dom::element element : array) {
            if (Full(entries, report)) return;
            readObject(element);
        }
    } else if (root.is_object()) {
        readObject(root);
    } else {
        report.error = "the JSON text holds no OMM objects";
    }
}

void ReadOmmXml(std::string& text, std::vector<TElementEntry>& entries, TElementReadReport& report) {
    report.format = TElementFormat::kOmmXml;
    pugi::xml_document doc;
    // The declaration is parsed only to be refused: pugixml never expands
    // entities of its own, and a file that declares some is not ours.
    const pugi::xml_parse_result parsed = doc.load_buffer_inplace(
        text.data(), text.size(), pugi::parse_default | pugi::parse_doctype, pugi::encoding_auto);
    if (!parsed) {
        report.error = std::string("not valid XML: ") + parsed.description() + " at byte " +
                       std::to_string(parsed.offset);
        return;
    }
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype) {
            report.error = "an XML file with a document type declaration (its entities are not read)";
            return;
        }
    const pugi::xml_node root = doc.document_element();
    const std::string_view rootName = LocalName(root.name());
    if (rootName == "omm") {
        ReadXmlOmm(root, entries, report);
    } else if (rootName == "ndm") {
        for (pugi::xml_node omm = root.first_child(); omm; omm = omm.next_sibling())
            if (omm.type() == pugi::node_element && LocalName(omm.name()) == "omm") ReadXmlOmm(omm, entries, report);
    } else {
        report.error = "the XML document is <" + std::string(rootName) + ">, not an OMM";
    }
}
