// fuzz_skins: loads seeded, reproducible mutations of seed skins in real document windows and
// counts how each ended: clean, load failure, crash or stall (one skin taking longer than the
// time limit to load, lay out, paint and run its scripts). Skins run in batches in host
// processes; after a crash or a stall a fresh host goes on with the next skin, so one fault does
// not hide the rest. Every crashing or stalling skin is kept in the findings folder.
//
//   fuzz_skins [--seed N] [--start N] [--count N] [--jobs N] [--per-process N] [--timeout-ms N]
//              [--out DIR] seed.xml...
//   fuzz_skins --replay [--timeout-ms N] [--out DIR] skin.xml...
//
// --start runs skins N .. N + count - 1 of the seed's sequence (skin i is the same whichever
// slice runs it), so a long run can be split. --jobs runs that many host processes at once,
// each on its own batches. --replay loads the given skins as they are, one each, instead of
// mutations of them: a finding is replayed, and kept findings run as regression cases.
//
// The exit code is 0 only when nothing crashed, stalled or stayed alive after its window.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fuzz.h"
#include "mutator.h"

namespace velmor::fuzz {
namespace {

struct Options {
  uint64_t seed = 1;
  int start = 0;
  int jobs = 1;
  int count = 300;
  int perProcess = 40;
  DWORD timeoutMs = 5000;
  std::wstring out;
  bool replay = false;
  std::vector<std::wstring> seeds;
};

struct Tally {
  int clean = 0, loadFailures = 0, crashes = 0, stalls = 0;
  int notRun = 0;  // skins of batches whose host could not be started
  DWORD slowestMs = 0;
  int slowest = -1;
  std::map<std::string, long> leaks;  // the largest count seen per kind
  long gdiKept = 0;                    // the most GDI objects one host kept

  void Merge(const Tally& other) {
    clean += other.clean, loadFailures += other.loadFailures;
    crashes += other.crashes, stalls += other.stalls, notRun += other.notRun;
    if (other.slowestMs > slowestMs) slowestMs = other.slowestMs, slowest = other.slowest;
    gdiKept = std::max(gdiKept, other.gdiKept);
    for (const auto& [kind, count] : other.leaks) {
      long& worst = leaks[kind];
      if (std::labs(count) > std::labs(worst)) worst = count;
    }
  }
};

std::wstring ExeDir() {
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  ::PathRemoveFileSpecW(path);
  return path;
}

bool ReadBytes(const std::wstring& path, std::string& bytes) {
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (f == nullptr) return false;
  bytes.clear();
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
  fclose(f);
  return true;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

// Copies a folder of the built distribution beside this program, so relative image paths and
// the demo's script resolve as they do for the application.
void CopyFromDist(const std::wstring& exeDir, const wchar_t* relative, const wchar_t* into) {
  const std::wstring from = exeDir + L"\\..\\dist\\" + relative + std::wstring(1, L'\0');
  const std::wstring to = exeDir + L"\\" + into + std::wstring(1, L'\0');
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_COPY;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI | FOF_SILENT;
  ::SHFileOperationW(&op);
}

// One host process for skins [first, end); answers the index to go on with.
int RunBatch(const Options& options, const std::wstring& work, const std::vector<std::string>& skins,
             int first, int end, Tally& tally) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readPipe = nullptr, writePipe = nullptr;
  if (!::CreatePipe(&readPipe, &writePipe, &inherit, 0)) return end;
  ::SetHandleInformation(readPipe, HANDLE_FLAG_INHERIT, 0);
  wchar_t exe[MAX_PATH];
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(exe) + L"\" --host \"" + work + L"\" " +
                         std::to_wstring(first) + L" " + std::to_wstring(end - first);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writePipe;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = nullptr;
  PROCESS_INFORMATION process{};
  // Starting a process can fail for a moment on a loaded machine: try again before giving up.
  BOOL started = FALSE;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) ::Sleep(1000);
    started = ::CreateProcessW(exe, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &process);
  }
  ::CloseHandle(writePipe);
  if (!started) {
    ::CloseHandle(readPipe);
    std::printf("fuzz: cannot start a host (%lu): skins %d..%d not run\n", ::GetLastError(),
                first, end - 1);
    tally.notRun += end - first;
    return end;
  }
  std::string pending;
  int current = -1, lastEnded = -1;
  DWORD since = 0, heard = ::GetTickCount();
  int next = end;
  auto keep = [&](const char* kind, int index) {
    const std::wstring name = options.out + L"\\" + std::wstring(kind, kind + strlen(kind)) +
                              L"-" + std::to_wstring(index) + L".xml";
    WriteBytes(name, skins[static_cast<size_t>(index - first)]);
  };
  for (;;) {
    DWORD available = 0;
    const bool open = ::PeekNamedPipe(readPipe, nullptr, 0, nullptr, &available, nullptr) != FALSE;
    if (available > 0) {
      char buffer[4096];
      DWORD read = 0;
      if (::ReadFile(readPipe, buffer, std::min<DWORD>(available, sizeof(buffer)), &read, nullptr))
        pending.append(buffer, read);
      heard = ::GetTickCount();
      for (size_t eol; (eol = pending.find('\n')) != std::string::npos; pending.erase(0, eol + 1)) {
        const std::string line = pending.substr(0, eol);
        int index = 0;
        char word[32] = {};
        if (std::sscanf(line.c_str(), "begin %d", &index) == 1) {
          current = index;
          since = ::GetTickCount();
        } else if (std::sscanf(line.c_str(), "end %d %31s", &index, word) == 2) {
          const DWORD took = ::GetTickCount() - since;
          if (took > tally.slowestMs) tally.slowestMs = took, tally.slowest = index;
          if (options.replay || took > options.timeoutMs / 2)
            std::printf("fuzz: skin %d took %lu ms\n", index, took);
          (std::string(word) == "clean" ? tally.clean : tally.loadFailures)++;
          current = -1;
          lastEnded = index;
        } else if (line.rfind("phases ", 0) == 0) {
          // Where a slow skin's time went: loading, the first show and paint, input, resizing
          // and repainting, closing.
          if (options.replay || ::GetTickCount() - since > options.timeoutMs / 2)
            std::printf("fuzz: %s\n", line.c_str());
        } else if (long kept = 0; std::sscanf(line.c_str(), "kept gdi=%ld", &kept) == 1) {
          tally.gdiKept = std::max(tally.gdiKept, kept);
        } else if (line.rfind("leaks ", 0) == 0) {
          bool leaked = false;
          for (size_t at = 6; at < line.size();) {
            const size_t eq = line.find('=', at), sp = line.find(' ', at);
            if (eq == std::string::npos) break;
            const long value = std::atol(line.c_str() + eq + 1);
            long& worst = tally.leaks[line.substr(at, eq - at)];
            if (std::labs(value) > std::labs(worst)) worst = value;
            leaked = leaked || value != 0;
            at = sp == std::string::npos ? line.size() : sp + 1;
          }
          // The batch's skins are kept: replayed with --per-process 1, each one's own host names
          // what it left alive.
          if (leaked) {
            std::printf("fuzz: skins %d..%d left alive: %s\n", first, end - 1, line.c_str() + 6);
            for (int i = first; i < end; ++i) keep("leak", i);
          }
        }
      }
      continue;
    }
    if (current >= 0 && ::GetTickCount() - since > options.timeoutMs) {
      ::TerminateProcess(process.hProcess, 2);
      ++tally.stalls;
      keep("stall", current);
      std::printf("fuzz: skin %d stalled\n", current);
      next = current + 1;
      break;
    }
    // A host that hangs between skins (tearing the last one down, or shutting down) stalls
    // too: the skin it last ran is the one kept.
    if (current < 0 && ::GetTickCount() - heard > 2 * options.timeoutMs &&
        ::WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
      ::TerminateProcess(process.hProcess, 2);
      ++tally.stalls;
      if (lastEnded >= 0) keep("stall", lastEnded);
      std::printf("fuzz: the host stopped answering after skin %d\n", lastEnded);
      next = lastEnded + 1;
      break;
    }
    if (!open || ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      // Drain what is left before deciding.
      if (::PeekNamedPipe(readPipe, nullptr, 0, nullptr, &available, nullptr) && available > 0)
        continue;
      if (current >= 0) {
        ++tally.crashes;
        keep("crash", current);
        std::printf("fuzz: skin %d crashed the host\n", current);
        next = current + 1;
      }
      break;
    }
    ::Sleep(2);
  }
  ::WaitForSingleObject(process.hProcess, 5000);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  ::CloseHandle(readPipe);
  return next;
}

int RunDriver(Options options) {
  const std::wstring exeDir = ExeDir();
  if (options.out.empty()) options.out = exeDir + L"\\fuzz-findings";
  ::CreateDirectoryW(options.out.c_str(), nullptr);
  CopyFromDist(exeDir, L"skins", L"");
  CopyFromDist(exeDir, L"chrome", L"");
  // Skins are written two folders below the program, like skins\<name>\, so that the demo's
  // "..\..\chrome\" script path reaches the copied chrome folder.
  const std::wstring work = exeDir + L"\\skins\\fuzz-work";
  ::CreateDirectoryW(work.c_str(), nullptr);
  std::vector<std::string> seeds;
  for (const std::wstring& path : options.seeds) {
    std::string bytes;
    if (!ReadBytes(path, bytes)) {
      std::printf("fuzz: cannot read seed %ls\n", path.c_str());
      return 2;
    }
    seeds.push_back(std::move(bytes));
  }
  if (seeds.empty()) {
    std::printf("fuzz: no seed skins given\n");
    return 2;
  }
  if (options.replay) options.count = static_cast<int>(seeds.size()), options.start = 0;
  const int last = options.start + options.count;
  const DWORD start = ::GetTickCount();
  // Each job takes the next batch of skins until none is left.
  std::atomic<int> nextBatch{options.start};
  std::mutex merging;
  Tally tally;
  auto job = [&] {
    for (int first; (first = nextBatch.fetch_add(options.perProcess)) < last;) {
      Tally mine;
      const int end = std::min(last, first + options.perProcess);
      std::vector<std::string> skins;
      for (int i = first; i < end; ++i) {
        const std::string& seed = seeds[static_cast<size_t>(i) % seeds.size()];
        skins.push_back(options.replay ? seed
                                       : MutateSkin(seed, options.seed, static_cast<uint64_t>(i)));
        WriteBytes(work + L"\\" + SkinFileName(i), skins.back());
      }
      for (int next = first; next < end;) {
        const std::vector<std::string> rest(skins.begin() + (next - first), skins.end());
        next = std::max(RunBatch(options, work, rest, next, end, mine), next + 1);
      }
      for (int i = first; i < end; ++i) ::DeleteFileW((work + L"\\" + SkinFileName(i)).c_str());
      // A running count after every batch: a long run that is stopped still leaves its figures.
      const std::lock_guard<std::mutex> lock(merging);
      tally.Merge(mine);
      std::printf("fuzz: %lu s: clean %d, load failure %d, crash %d, stall %d, not run %d\n",
                  (::GetTickCount() - start) / 1000, tally.clean, tally.loadFailures,
                  tally.crashes, tally.stalls, tally.notRun);
      std::fflush(stdout);
    }
  };
  std::vector<std::thread> jobs;
  try {
    for (int j = 1; j < options.jobs; ++j) jobs.emplace_back(job);
  } catch (...) {
    std::printf("fuzz: running with %zu jobs\n", jobs.size() + 1);
  }
  job();
  for (std::thread& t : jobs) t.join();
  long leaked = 0;
  std::string leaks;
  for (const auto& [kind, count] : tally.leaks) {
    leaks += " " + kind + "=" + std::to_string(count);
    leaked += std::labs(count);
  }
  const std::string run = options.replay ? std::string("replay")
                                          : "seed " + std::to_string(options.seed);
  std::printf("fuzz: %s, skins %d..%d in %.1f s: clean %d, load failure %d, crash %d, stall %d, "
              "not run %d\n",
              run.c_str(), options.start, last - 1, (::GetTickCount() - start) / 1000.0, tally.clean,
              tally.loadFailures, tally.crashes, tally.stalls, tally.notRun);
  std::printf("fuzz: slowest skin %lu ms (#%d); left alive after the hosts' runs:%s\n",
              tally.slowestMs, tally.slowest, leaks.c_str());
  std::printf("fuzz: GDI objects kept by one host after its first skin: at most %ld\n",
              tally.gdiKept);
  std::printf("fuzz: findings in %ls\n", options.out.c_str());
  return tally.crashes + tally.stalls + tally.notRun == 0 && leaked == 0 ? 0 : 1;
}

}  // namespace
}  // namespace velmor::fuzz

int wmain(int argc, wchar_t** argv) {
  using namespace velmor::fuzz;
  // A crash ends the host at once, without a debugger or an error box; the driver sees it.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  if (argc == 5 && std::wstring(argv[1]) == L"--host") {
    ::SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG {
      ::TerminateProcess(::GetCurrentProcess(), 3);
      return EXCEPTION_EXECUTE_HANDLER;
    });
    return RunHost(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
  }
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool value = i + 1 < argc;
    if (arg == L"--seed" && value) options.seed = _wcstoui64(argv[++i], nullptr, 10);
    else if (arg == L"--count" && value) options.count = _wtoi(argv[++i]);
    else if (arg == L"--start" && value) options.start = std::max(0, _wtoi(argv[++i]));
    else if (arg == L"--jobs" && value) options.jobs = std::max(1, _wtoi(argv[++i]));
    else if (arg == L"--per-process" && value) options.perProcess = std::max(1, _wtoi(argv[++i]));
    else if (arg == L"--timeout-ms" && value) options.timeoutMs = static_cast<DWORD>(_wtoi(argv[++i]));
    else if (arg == L"--out" && value) options.out = argv[++i];
    else if (arg == L"--replay") options.replay = true;
    else options.seeds.push_back(arg);
  }
  return RunDriver(options);
}
