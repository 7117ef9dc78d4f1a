// The checks of velmor-lint: a skin file or folder against the engine's attribute table and the
// rules the loader applies, each problem reported with its place in the file.
#pragma once
#include <string>
#include <vector>

namespace velmor::lint {

enum class Severity { kWarning, kError };

struct Diagnostic {
  std::wstring file;
  int line = 0;    // from 1
  int column = 0;  // from 1
  Severity severity = Severity::kError;
  std::wstring message;
};

struct Options {
  // Where relative image paths resolve; empty: the "default" skin folder beside the linted one
  // (as the engine looks under skins\default), or the skin folder itself when there is none.
  std::wstring imageFolder;
};

// Checks one skin file; 'folder' is the skin folder scripts resolve against.
std::vector<Diagnostic> LintFile(const std::wstring& folder, const std::wstring& file,
                                 const Options& options);
// Checks every .xml file of a folder (or the one file 'path' names).
std::vector<Diagnostic> LintPath(const std::wstring& path, const Options& options);

// "file:line:column: severity: message" lines, and the same as a JSON array.
std::string FormatText(const std::vector<Diagnostic>& diagnostics);
std::string FormatJson(const std::vector<Diagnostic>& diagnostics);
// 0 clean, 1 warnings only, 2 errors.
int ExitStatus(const std::vector<Diagnostic>& diagnostics);

// The skin authors' guide's attribute reference, written from the table (Markdown, UTF-8).
std::string AttributeReference();

}  // namespace velmor::lint
