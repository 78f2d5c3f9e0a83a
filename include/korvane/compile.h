// Korvane as a library: one compilation of one skin description, as a value.
//
//   korvane::CompileRequest r;
//   r.sourceName = "skin.txt";
//   r.sourceBytes = bytes;
//   r.skinName = "Ocean";
//   r.outputs = korvane::Outputs::kBytes;
//   korvane::CompileResult result = korvane::compile(r);
//
// A compilation owns everything it uses (its reader, its registry, its skin
// model), so any number may run at once on different threads. Nothing is
// printed: the report the command line prints is one rendering of
// `CompileResult::diagnostics`.
#ifndef KORVANE_COMPILE_H
#define KORVANE_COMPILE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

class FileSystem;

// What a compilation hands back besides its diagnostics.
enum class Outputs {
  kNone,   // check only: nothing is written or kept
  kBytes,  // the outputs' bytes in the result; no file is written
  kFiles,  // the files written as the command line writes them
};

enum class Severity { kError, kWarning, kNote };

// A place in a file: lines from 1, columns from 1 in UTF-16 units of the line
// (as editors count). 0 means "not known" (an error of an output phase, an
// extension list read as a whole). The end is the position just after the
// last unit of the range, so a one-character token at column 5 ends at 6.
struct SourceRange {
  std::string file;
  int line = 0;
  int column = 0;
  int endLine = 0;
  int endColumn = 0;
};

// Another place a diagnostic points to ("first defined here", "the block
// opened here").
struct RelatedPlace {
  SourceRange range;
  std::string message;
};

struct Diagnostic {
  Severity severity = Severity::kError;
  // A stable identifier of the kind of diagnostic, for tools and rule lists:
  // "parse.unknown-element", "content.item-already-defined", ...
  std::string code;
  // The system's text, as the command line's report prints it (without the
  // "NOTE: " prefix or the " (line N)" suffix).
  std::string message;
  // Where the diagnostic is about (the token or element).
  std::string file;
  int line = 0;
  int column = 0;
  int endLine = 0;
  int endColumn = 0;
  // Replacement texts for the range, best first ("did you mean").
  std::vector<std::string> suggestions;
  std::vector<RelatedPlace> related;

  // For errors: the error code of the command line's report (0 to 5), and the
  // line the report shows ("when parsing line N"), which is the reader's
  // read-ahead line; negative when the report names no line. For notes and
  // warnings: the line of their " (line N)" suffix, negative when they have
  // none.
  int reportCode = -1;
  int reportLine = -1;
};

struct CompileRequest {
  // The name diagnostics show for the description.
  std::string sourceName;
  // The description as its file holds it (8-bit, UTF-16LE or UTF-8 with
  // byte-order mark).
  std::string sourceBytes;
  // Added: read the description from the file `sourceName` names (through
  // `fileSystem` or the disk, from `baseDirectory`) instead of `sourceBytes`.
  bool readSourceFile = false;
  // Image paths and a relative extension list are taken from here; empty is
  // the working directory.
  std::string baseDirectory;
  std::string skinName;
  // Optional item-ID extension list ("-i").
  std::string extensionListFile;
  // "Now" for the generated package identifier and the SKN time stamp, as
  // SOURCE_DATE_EPOCH gives it (seconds since 1970-01-01 00:00 UTC); the
  // system clock when absent.
  std::optional<int64_t> sourceDateEpoch;
  Outputs outputs = Outputs::kBytes;

  // The command line's switches.
  bool drmMode = false;      // --drm
  bool forceSystem = false;  // --forcesystem
  bool forceNormal = false;  // --forcenormal
  bool strict = false;       // --strict: a missing image or mask file is an error
  // With kFiles: the directories of the generation list (-m) and of the SKN,
  // PKG and DRM files (-t), relative to baseDirectory when not absolute.
  std::string listDirectory;
  std::string targetDirectory;
  // Added: the command line's "-s" path; it is not used, and only shown in
  // the parameter summary and warned about.
  std::string systemPath;

  // Every error of the description instead of the first: after an error the
  // parse goes on at the next line that starts an element (the rest of a
  // broken block is skipped). Errors of the opening (SKINTYPE, UID or PID,
  // the first NAME) still end it. Nothing is written after an error.
  bool allErrors = false;
  // "Did you mean" replacements in `Diagnostic::suggestions` (misspelt item
  // names, keywords, parameter keys, enumerated values, missing image files).
  bool suggest = true;

  // Images, masks and the extension list are looked up here instead of on
  // the disk when set (for example unsaved buffers of an editor). Borrowed:
  // it must outlive the call, and is used by this compilation only.
  FileSystem* fileSystem = nullptr;
};

struct CompileResult {
  // 0, 2 or 3, as the command line would end.
  int exitCode = 0;
  // In the order they arose.
  std::vector<Diagnostic> diagnostics;
  // With Outputs::kBytes (and after a successful compile): the bytes of each
  // output. `drm` is empty unless drmMode is set.
  std::string skn;
  std::string generationList;
  std::string pkg;
  std::string drm;
  // The outputs' file names (the generation list's depends on the skin type);
  // empty when the compile did not get that far.
  std::string generationListName;
  std::string sknName;
  std::string pkgName;
  std::string drmName;
};

// Runs one compilation. Never throws for bad input (it ends in diagnostics
// and an exit code); std::bad_alloc is reported as an error too.
CompileResult compile(const CompileRequest& request);

}  // namespace korvane

#endif
