// Compilations on four threads at once give, each, exactly what the same
// compilation gives alone: nothing is shared between them. Run under
// ThreadSanitizer by the tsan preset.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/memory_platform.h"
#include "korvane/compile.h"

namespace korvane {
namespace {

struct Job {
  std::string description;
  std::string extensionList;  // the text of an "-i" list, empty for none
  Outputs outputs = Outputs::kBytes;
};

CompileResult runJob(const Job& job) {
  // Each compilation reads its own copy of the files.
  MemoryFileSystem fs;
  fs.addFile("images/a.bmp", "image");
  fs.addFile("images/b.bmp", "image");
  fs.addFile("images/qsn_bg_area_status.bmp", "image");
  CompileRequest r;
  r.sourceName = "skin.txt";
  r.sourceBytes = job.description;
  r.skinName = "Threaded";
  r.sourceDateEpoch = 1700000000;
  r.outputs = job.outputs;
  r.fileSystem = &fs;
  if (!job.extensionList.empty()) {
    fs.addFile("ext.txt", job.extensionList);
    r.extensionListFile = "ext.txt";
  }
  return compile(r);
}

std::vector<Job> jobs() {
  const std::string opening = "SKINTYPE scalable\nNAME 1 \"Threads\"\nBITMAPPATH images\n";
  std::vector<Job> list;
  for (int i = 0; i < 12; ++i) {
    std::string items;
    for (int j = 0; j <= i; ++j) {
      items += "RESTRICTION LANG=" + std::to_string(j + 1) + "\n";
      items += "BITMAP IID=QsnBgScreen c16 a.bmp MASK=b.bmp\n";
      items += "BITMAP c8 qsn_bg_area_status.bmp\n";
      items +=
          "BMPANIM IID=QsnBgAreaMain\n c16 a.bmp\n c8 new_" + std::to_string(j) + ".bmp\nEND\n";
    }
    Job job;
    job.description = opening + items;
    if (i % 3 == 1) {
      job.extensionList = "IID \"KTavsIIDThreadItem" + std::to_string(i) + "\" 0x10005A26 " +
                          std::to_string(0x9000 + i) + "\n";
      job.description += "RESTRICTION NONE\nSTRING IID=ThreadItem" + std::to_string(i) + " \"x\"\n";
    }
    if (i % 4 == 2) job.description += "BITMAP IID=NoSuchName c8 a.bmp\n";
    if (i % 5 == 3) job.outputs = Outputs::kNone;
    if (i == 11) job.extensionList = "IID broken\n";
    list.push_back(job);
  }
  return list;
}

void expectSame(const CompileResult& a, const CompileResult& b) {
  ASSERT_EQ(a.exitCode, b.exitCode);
  EXPECT_EQ(a.skn, b.skn);
  EXPECT_EQ(a.generationList, b.generationList);
  EXPECT_EQ(a.pkg, b.pkg);
  ASSERT_EQ(a.diagnostics.size(), b.diagnostics.size());
  for (size_t i = 0; i < a.diagnostics.size(); ++i) {
    const Diagnostic& x = a.diagnostics[i];
    const Diagnostic& y = b.diagnostics[i];
    EXPECT_EQ(x.code, y.code);
    EXPECT_EQ(x.message, y.message);
    EXPECT_EQ(x.line, y.line);
    EXPECT_EQ(x.column, y.column);
    EXPECT_EQ(x.endColumn, y.endColumn);
    EXPECT_EQ(x.reportLine, y.reportLine);
  }
}

TEST(CompileThreads, EachCompilationGetsWhatItGetsAlone) {
  const std::vector<Job> all = jobs();
  std::vector<CompileResult> alone;
  for (const Job& job : all) alone.push_back(runJob(job));
  // The jobs differ: successes, errors and an invalid extension list.
  EXPECT_EQ(alone[0].exitCode, 0);
  EXPECT_EQ(alone[2].exitCode, 2);
  EXPECT_EQ(alone[11].exitCode, 3);
  EXPECT_NE(alone[0].skn, alone[1].skn);

  constexpr int kThreads = 4;
  constexpr int kRounds = 3;
  std::vector<CompileResult> together(all.size() * kRounds);
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (size_t at = next++; at < together.size(); at = next++) {
        together[at] = runJob(all[at % all.size()]);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t at = 0; at < together.size(); ++at) {
    SCOPED_TRACE("job " + std::to_string(at % all.size()));
    expectSame(together[at], alone[at % all.size()]);
  }
}

}  // namespace
}  // namespace korvane
