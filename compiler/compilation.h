// One compilation of one skin description: it owns its reader, its registry
// and its skin model, runs the phases (registry, parameter summary, parsing,
// skin type, generation list, SKN, PKG) and tells an observer what happens:
// the report's progress text and every diagnostic, as they arise.
#ifndef KORVANE_COMPILER_COMPILATION_H
#define KORVANE_COMPILER_COMPILATION_H

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "base/error.h"
#include "base/platform.h"
#include "korvane/compile.h"
#include "model/probed_files.h"
#include "model/skin_content.h"
#include "source/item_id_registry.h"
#include "source/source_lexer.h"

namespace korvane {

// Longest composed output file name.
constexpr size_t kMaxOutputFileName = 519;

// The outputs' file names, as composed (the DRM name empty unless asked for).
struct OutputNames {
  std::string list;
  std::string skn;
  std::string pkg;
  std::string drm;
};

class CompilationObserver : public DiagnosticSink {
 public:
  // False for observers that use no places (the report): the compilation
  // then spends nothing on them.
  bool wantsPlaces = true;
  // True for observers that drop the NOTE, INFO and DEBUG lines (a quiet
  // report): the compilation then does not compose them.
  bool dropsQuietLines = false;

  // A piece of the report's progress text: the parameter summary, the
  // phases' lines and the dashed frame around an error report.
  virtual void progress(std::string_view text) { (void)text; }
  void diagnostic(const DiagnosticEvent& event) override { (void)event; }
  // Before the first output is written, once the names are known and the
  // outputs are known not to be the inputs (an error raised here is reported
  // as the phases').
  virtual void beforeOutputs(const OutputNames& names, const CompileRequest& request) {
    (void)names;
    (void)request;
  }
  // After the last output was written, still inside the phases (an error
  // raised here is reported as theirs). `probed` is null unless the files
  // looked for were recorded.
  virtual void outputsWritten(const OutputNames& names, const ProbedFiles* probed) {
    (void)names;
    (void)probed;
  }
};

// Keeps every diagnostic as a public value; the progress text is dropped
// (compile() and the command line's diagnostic formats).
class CollectingObserver : public CompilationObserver {
 public:
  explicit CollectingObserver(std::vector<Diagnostic>& out) : out_(out) {}
  void diagnostic(const DiagnosticEvent& event) override;

 private:
  std::vector<Diagnostic>& out_;
};

class Compilation {
 public:
  // Images, masks, the extension list (and the description, with
  // `readSourceFile`) are read from `inputs`; the outputs go to `outputs`;
  // `clock` is "now". All are borrowed for the compilation's life.
  Compilation(const CompileRequest& request, FileSystem& inputs, FileSystem& outputs, Clock& clock,
              CompilationObserver& observer);
  Compilation(const Compilation&) = delete;
  Compilation& operator=(const Compilation&) = delete;
  ~Compilation();

  // Every image and mask file looked for is recorded, for a dependency file.
  void recordProbedFiles() { recordProbed_ = true; }

  // The skin model is left to the process's exit instead of being freed
  // when the run ends (for a program that ends right after it).
  void leaveModelToExit() { leaveModel_ = true; }
  // Called once the parse is done and what only the parse needs is let go,
  // before the outputs are written (a program gives freed memory back here).
  void afterParse(void (*hook)()) { afterParse_ = hook; }

  // Runs the whole compilation once; the exit code: 0, 2 (an error was
  // reported) or 3 (the extension list is invalid).
  int run();

  // The output names, once the skin type is known (empty before).
  const OutputNames& outputNames() const { return names_; }

 private:
  // Adds the place of the reader's last token (and the description's name)
  // to what the rooms report while the description is parsed.
  class PlacingSink : public DiagnosticSink {
   public:
    explicit PlacingSink(Compilation& owner) : owner_(owner) {}
    void diagnostic(const DiagnosticEvent& event) override;

   private:
    Compilation& owner_;
  };

  void runPhases();
  void parseSource();
  void settleSkinType();
  void writeOutputs();
  void printParameterSummary();
  void reportError(const CKrvException& error, bool fromExtensionList);
  void note(DiagnosticCode code, std::string_view text);
  // "Did you mean" for an event of the description (empty: none), from the
  // text of its span in the reader's last token.
  std::string suggestionFor(const DiagnosticEvent& event);

  const CompileRequest& request_;
  FileSystem& inputs_;
  FileSystem& outputs_;
  Clock& clock_;
  CompilationObserver& observer_;
  PlacingSink sink_;
  bool recordProbed_ = false;
  bool parsing_ = false;
  bool leaveModel_ = false;
  void (*afterParse_)() = nullptr;
  // Errors of elements the parse went on after (request_.allErrors).
  int parseErrors_ = 0;
  // The image files of each bitmap directory, listed once, for suggestions.
  std::map<std::string, std::vector<std::string>> imageListings_;

  SourceLexer lexer_;
  ItemIdRegistry registry_;
  std::unique_ptr<SkinContent> content_;
  std::optional<ProbedFiles> probed_;
  OutputNames names_;
};

// Fills the package identifier from the clock and the source reader's character sum.
void generatePackageId(SkinContent& content, uint32_t characterSum, uint64_t now);

// "Now" in the clock's units (100 ns since 1601) for seconds since 1970,
// held within what the clock can count.
uint64_t clockTimeOfEpochSeconds(int64_t seconds);

}  // namespace korvane

#endif
