#include "driver/diagnostic_formats.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <utility>

#include "base/diagnostics.h"
#include "base/text.h"

namespace korvane {

namespace {

using json = nlohmann::ordered_json;

// The word of a severity: GCC's kind and SARIF's level alike.
const char* severityWord(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    case Severity::kNote:
      return "note";
  }
  return "note";
}

// The end of a range, at least one unit after its start on its line.
int endColumnOf(const Diagnostic& d) {
  if (d.endLine > d.line) return d.endColumn;
  return std::max(d.endColumn, d.column + 1);
}

// Texts for JSON: the library's messages are 8-bit (the report's bytes); an
// invalid UTF-8 sequence would make the whole document unreadable, so bytes
// that are no UTF-8 are taken as Latin-1.
std::string jsonText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    size_t length = byte < 0x80         ? 1
                    : (byte >> 5) == 6  ? 2
                    : (byte >> 4) == 14 ? 3
                    : (byte >> 3) == 30 ? 4
                                        : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    }
    if (valid && length > 1) {
      // Overlong forms and surrogates are no UTF-8 either.
      auto next = static_cast<unsigned char>(text[i + 1]);
      if ((length == 2 && byte < 0xC2) || (length == 3 && byte == 0xE0 && next < 0xA0) ||
          (length == 3 && byte == 0xED && next >= 0xA0) ||
          (length == 4 && byte == 0xF0 && next < 0x90) || (length == 4 && byte > 0xF4) ||
          (length == 4 && byte == 0xF4 && next >= 0x90)) {
        valid = false;
      }
    }
    if (valid) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      out.append(toUtf8(std::u16string(1, static_cast<char16_t>(byte))));
      ++i;
    }
  }
  return out;
}

json gccPosition(const std::string& file, int line, int column) {
  return json{{"file", jsonText(file)}, {"line", line}, {"column", column}};
}

json gccLocations(const std::string& file, int line, int column, int endLine, int endColumn) {
  if (line <= 0) return json::array();
  json location{{"caret", gccPosition(file, line, column)}};
  // The finish is the last unit of the range, not the one after it.
  if (endLine > 0) location["finish"] = gccPosition(file, endLine, std::max(column, endColumn - 1));
  return json::array({location});
}

json sarifRegion(int line, int column, int endLine, int endColumn) {
  json region{{"startLine", line}};
  if (column > 0) region["startColumn"] = column;
  if (endLine > 0) {
    region["endLine"] = endLine;
    if (endColumn > 0) region["endColumn"] = endColumn;
  }
  return region;
}

json sarifLocation(const std::string& file, int line, int column, int endLine, int endColumn) {
  json physical{{"artifactLocation", {{"uri", fileUri(file)}}}};
  if (line > 0) physical["region"] = sarifRegion(line, column, endLine, endColumn);
  return json{{"physicalLocation", physical}};
}

// The place of a diagnostic as the gcc form starts its line.
std::string gccPlace(const std::string& file, int line, int column) {
  if (file.empty()) return "korvane: ";
  std::string place = file;
  if (line > 0) {
    place += ":" + std::to_string(line);
    if (column > 0) place += ":" + std::to_string(column);
  }
  return place + ": ";
}

// The source line, the caret line under the range and the fix-it line, with
// GCC's gutter of line numbers.
void appendExcerpt(std::string& out, const SourceFiles& sources, const Diagnostic& d) {
  auto file = sources.find(d.file);
  if (file == sources.end() || d.line <= 0 || d.column <= 0) return;
  std::u16string_view line = file->second.line(d.line);
  size_t start = static_cast<size_t>(d.column - 1);
  if (start > line.size()) return;
  size_t end = d.endLine > d.line ? line.size()
                                  : std::min(line.size(), static_cast<size_t>(endColumnOf(d) - 1));
  std::string number = std::to_string(d.line);
  std::string gutter(std::max<size_t>(number.size(), 4), ' ');
  out += std::string(gutter.size() - number.size(), ' ') + number + " | " + toUtf8(line) + "\n";
  // Blanks as wide as the text before the range, tabs kept so that the caret
  // stands under the token in any tab width.
  std::string indent;
  for (size_t i = 0; i < start; ++i) {
    char16_t c = line[i];
    if (c >= 0xDC00 && c <= 0xDFFF) continue;  // second half of a pair
    indent.push_back(c == u'\t' ? '\t' : ' ');
  }
  std::string marks = "^";
  for (size_t i = start + 1; i < end; ++i) {
    if (line[i] >= 0xDC00 && line[i] <= 0xDFFF) continue;
    marks.push_back('~');
  }
  out += gutter + " | " + indent + marks + "\n";
  if (!d.suggestions.empty()) out += gutter + " | " + indent + jsonText(d.suggestions[0]) + "\n";
}

}  // namespace

std::vector<Diagnostic> limitDiagnostics(std::vector<Diagnostic> diagnostics, int maxErrors,
                                         bool warningsAsErrors) {
  if (warningsAsErrors) {
    for (Diagnostic& d : diagnostics) {
      if (d.severity == Severity::kWarning) d.severity = Severity::kError;
    }
  }
  if (maxErrors <= 0) return diagnostics;
  int errors = 0;
  for (size_t i = 0; i < diagnostics.size(); ++i) {
    if (diagnostics[i].severity != Severity::kError || ++errors <= maxErrors) continue;
    diagnostics.resize(i);
    Diagnostic note;
    note.severity = Severity::kNote;
    note.code = "driver.max-errors";
    note.message = "more errors left out (--max-errors=" + std::to_string(maxErrors) + ")";
    diagnostics.push_back(std::move(note));
    break;
  }
  return diagnostics;
}

std::string messageWithSuggestion(const Diagnostic& d) {
  if (d.suggestions.empty()) return d.message;
  return d.message + "; did you mean '" + d.suggestions[0] + "'?";
}

std::string renderGcc(const std::vector<Diagnostic>& diagnostics, const SourceFiles& sources) {
  std::string out;
  for (const Diagnostic& d : diagnostics) {
    out += gccPlace(d.file, d.line, d.column) + severityWord(d.severity) + ": " +
           jsonText(messageWithSuggestion(d));
    if (!d.code.empty()) out += " [" + d.code + "]";
    out += "\n";
    appendExcerpt(out, sources, d);
    for (const RelatedPlace& related : d.related) {
      out += gccPlace(related.range.file, related.range.line, related.range.column) +
             "note: " + jsonText(related.message) + "\n";
    }
  }
  return out;
}

std::string renderJson(const std::vector<Diagnostic>& diagnostics) {
  json all = json::array();
  for (const Diagnostic& d : diagnostics) {
    json children = json::array();
    for (const RelatedPlace& related : d.related) {
      const SourceRange& r = related.range;
      children.push_back(
          json{{"kind", "note"},
               {"message", jsonText(related.message)},
               {"locations", gccLocations(r.file, r.line, r.column, r.endLine, r.endColumn)},
               {"children", json::array()}});
    }
    json fixits = json::array();
    if (d.line > 0 && d.column > 0) {
      for (const std::string& suggestion : d.suggestions) {
        int endLine = d.endLine > 0 ? d.endLine : d.line;
        fixits.push_back(json{{"start", gccPosition(d.file, d.line, d.column)},
                              {"next", gccPosition(d.file, endLine, endColumnOf(d))},
                              {"string", jsonText(suggestion)}});
        break;  // one replacement of the range; the others are in the message
      }
    }
    all.push_back(
        json{{"kind", severityWord(d.severity)},
             {"message", jsonText(messageWithSuggestion(d))},
             {"code", d.code},
             {"locations", gccLocations(d.file, d.line, d.column,
                                        d.endLine > 0 ? d.endLine : d.line, endColumnOf(d))},
             {"children", children},
             {"fixits", fixits}});
  }
  return all.dump(2) + "\n";
}

std::string renderSarif(const std::vector<Diagnostic>& diagnostics, const ToolInfo& tool) {
  json rules = json::array();
  std::map<std::string, size_t> ruleIndex;
  json results = json::array();
  for (const Diagnostic& d : diagnostics) {
    std::string code = d.code.empty() ? "korvane" : d.code;
    auto [rule, added] = ruleIndex.emplace(code, rules.size());
    if (added) {
      std::string_view description = describeCode(code);
      rules.push_back(json{
          {"id", code},
          {"shortDescription",
           {{"text", jsonText(description.empty() ? std::string_view(d.message) : description)}}}});
    }
    int endLine = d.endLine > 0 ? d.endLine : d.line;
    json result{{"ruleId", code},
                {"ruleIndex", rule->second},
                {"level", severityWord(d.severity)},
                {"message", {{"text", jsonText(messageWithSuggestion(d))}}}};
    if (!d.file.empty()) {
      result["locations"] =
          json::array({sarifLocation(d.file, d.line, d.column, endLine, endColumnOf(d))});
    }
    if (!d.related.empty()) {
      json related = json::array();
      for (size_t i = 0; i < d.related.size(); ++i) {
        const SourceRange& r = d.related[i].range;
        json location = sarifLocation(r.file, r.line, r.column, r.endLine, r.endColumn);
        location["id"] = i;
        location["message"] = {{"text", jsonText(d.related[i].message)}};
        related.push_back(location);
      }
      result["relatedLocations"] = related;
    }
    if (!d.suggestions.empty() && d.line > 0 && d.column > 0) {
      json fixes = json::array();
      for (const std::string& suggestion : d.suggestions) {
        fixes.push_back(json{
            {"description", {{"text", "Replace with '" + jsonText(suggestion) + "'"}}},
            {"artifactChanges",
             json::array({json{
                 {"artifactLocation", {{"uri", fileUri(d.file)}}},
                 {"replacements",
                  json::array({json{
                      {"deletedRegion", sarifRegion(d.line, d.column, endLine, endColumnOf(d))},
                      {"insertedContent", {{"text", jsonText(suggestion)}}}}})}}})}});
      }
      result["fixes"] = fixes;
    }
    results.push_back(result);
  }
  json driver{{"name", tool.name}, {"version", tool.version}, {"rules", rules}};
  json log{{"version", "2.1.0"},
           {"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
           {"runs", json::array({json{{"tool", {{"driver", driver}}},
                                      {"columnKind", "utf16CodeUnits"},
                                      {"results", results}}})}};
  return log.dump(2) + "\n";
}

std::string fileUri(std::string_view path) {
  std::string uri;
  bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
  bool drive = path.size() >= 2 && path[1] == ':' &&
               ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (absolute) uri = "file://";
  if (drive) uri = "file:///";
  static const char* const kHex = "0123456789ABCDEF";
  for (size_t i = 0; i < path.size(); ++i) {
    auto c = static_cast<unsigned char>(path[i]);
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '.' || c == '_' || c == '~' || c == '/' || (drive && i == 1);
    if (c == '\\') {
      uri.push_back('/');
    } else if (plain) {
      uri.push_back(static_cast<char>(c));
    } else {
      uri.push_back('%');
      uri.push_back(kHex[c >> 4]);
      uri.push_back(kHex[c & 0xF]);
    }
  }
  return uri;
}

std::string_view describeCode(std::string_view code) {
  static const std::pair<std::string_view, std::string_view> kDescriptions[] = {
      {"value.cut", "A number wider than the field it goes into, cut to fit"},
      {"encoding.utf8-without-mark", "An 8-bit file that holds UTF-8 text"},
      {"encoding.utf16-without-mark", "A UTF-16 file without its byte-order mark"},
      {"encoding.utf16-big-endian", "A UTF-16 big-endian file, read as 8-bit text"},
      {"source.not-a-comment", "A line that looks like a comment but is read as elements"},
      {"source.mixed-separators", "A path that mixes / and \\"},
      {"driver.max-errors", "More errors than --max-errors allows"},
  };
  for (const auto& [known, description] : kDescriptions) {
    if (known == code) return description;
  }
  for (size_t i = 1; i <= diagnosticCodeCount(); ++i) {
    DiagnosticCodeInfo info = diagnosticCodeInfo(static_cast<DiagnosticCode>(i));
    if (info.name == code) return info.description;
  }
  return {};
}

}  // namespace korvane
