// The dependency file of --depfile: after a successful compile, one rule in
// Make syntax whose targets are the outputs written and whose prerequisites
// are the description, the extension list and every image and mask file the
// compile looked for; a missing one by the directory it would appear in
// (adding it rebuilds the skin once, see watchedPrerequisites).
// Each prerequisite also gets an empty rule of its own, so that Make does not
// stop when one is deleted. Paths are written as the file system was asked
// (backslashes used as "/"), relative ones relative to the working directory
// unless absolute paths are asked for.
#ifndef KORVANE_DRIVER_DEPFILE_H
#define KORVANE_DRIVER_DEPFILE_H

#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "compiler/compilation.h"
#include "driver/command_line.h"
#include "model/probed_files.h"

namespace korvane {

// `path` as Make reads it: a blank or tab after a backslash, "$" doubled,
// "#" after a backslash. Make cannot name a path with a line end: that raises
// CKrvException code 1.
std::string escapeForMake(std::string_view path);

// The whole file: "targets: prerequisites" with one prerequisite a line,
// then an empty rule for each prerequisite.
std::string composeDepfile(const std::vector<std::string>& targets,
                           const std::vector<std::string>& prerequisites);

// `path` joined to the absolute `directory` unless it is absolute already;
// leading "./" parts are dropped.
std::string absolutePath(std::string_view directory, std::string_view path);

// The directory a path lies in: "." for a bare name, "/" for one at the root.
std::string parentDirectory(std::string_view path);

// The prerequisites that keep a build from rebuilding forever: a build tool
// takes a missing prerequisite as out of date, so each missing file is named
// by the nearest existing directory it would appear in (adding the file
// changes that directory's time). A directory an output or the dependency
// file is written into changes at every compile and is left out: a file
// missing there is not seen. Directories are compared absolute from
// `workingDirectory` when it is known.
std::vector<std::string> watchedPrerequisites(FileSystem& fs,
                                              const std::vector<std::string>& probed,
                                              const std::vector<std::string>& writtenDirectories,
                                              std::string_view workingDirectory);

// Writes the file; raises CKrvException code 1 when it cannot be written.
void writeDepfile(FileSystem& fs, const std::string& path, const std::string& text);

// The dependency file is an output too: raises CKrvException code 1 when it
// is the description or the extension list ("Output file s.txt is the input
// file") or another output ("Dependency file S.skn is the SKN file"). Called
// before the first output and again before the dependency file is written,
// when links to the outputs written show. Nothing when no dependency file is
// asked for.
void refuseDepfileClashes(FileSystem& fs, const std::string& depfile, const OutputNames& names,
                          const CompileRequest& request);

// The dependency file of a compile: the output names written (empty names
// left out) as targets, the files looked for as prerequisites, made absolute
// from the platform's working directory with --depfile-absolute.
void writeDependencyFile(const CompileOptions& options, Platform& platform,
                         const std::vector<std::string>& outputs, const ProbedFiles& probed);

}  // namespace korvane

#endif
