// velmor-lint: checks a skin folder (or one skin file) against what the engine reads and prints
// each problem as "file:line:column: severity: message". Exit status 0 clean, 1 warnings, 2
// errors (or a usage error).
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "skin_lint.h"

namespace {

int Usage() {
  fputs("usage: velmor-lint [--json] [--images FOLDER] SKIN_FOLDER_OR_FILE...\n"
        "       velmor-lint --reference   (the guide's attribute reference, Markdown)\n",
        stderr);
  return 2;
}

void Write(const std::string& text) { fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // UTF-8 lines with plain line feeds, whatever the console.
  _setmode(_fileno(stdout), _O_BINARY);
  bool json = false;
  velmor::lint::Options options;
  std::vector<std::wstring> paths;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--json") {
      json = true;
    } else if (arg == L"--reference") {
      Write(velmor::lint::AttributeReference());
      return 0;
    } else if (arg == L"--images" && i + 1 < argc) {
      options.imageFolder = argv[++i];
    } else if (arg.size() > 1 && arg[0] == L'-') {
      return Usage();
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty()) return Usage();
  std::vector<velmor::lint::Diagnostic> all;
  for (const std::wstring& path : paths) {
    std::vector<velmor::lint::Diagnostic> found = velmor::lint::LintPath(path, options);
    all.insert(all.end(), found.begin(), found.end());
  }
  Write(json ? velmor::lint::FormatJson(all) : velmor::lint::FormatText(all));
  fflush(stdout);
  return velmor::lint::ExitStatus(all);
}
