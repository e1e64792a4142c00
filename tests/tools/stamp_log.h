// The benchmark's stamps: QueryPerformanceCounter readings (one clock for the whole
// system) that the instrumented Kavolt and the reference program write into memory shared
// with pickbench, which reads them after each start and each pick. A stamp is a counter
// reading and a store: no system call, no message, no debug output.
#pragma once

#include <windows.h>

#include "toolkit/handle.h"
#include "toolkit/stamps.h"

namespace stamp_log {

constexpr wchar_t kName[] = L"Local\\Kavolt.Bench.Stamps";
constexpr LONG kCapacity = 1 << 16;  // a ring: pickbench reads it long before it laps

struct Record {
  DWORD process;
  volatile LONG point;  // written last; -1 while the record is being written
  LONGLONG counter;
};

struct Log {
  volatile LONG next;  // records written so far
  Record records[kCapacity];
};

// The shared log, created by whichever program comes first; nullptr when it cannot be.
inline Log* Shared() {
  static const kavolt::UniqueHandle mapping(::CreateFileMappingW(
      INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Log), kName));
  static Log* const log =
      mapping ? static_cast<Log*>(::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0))
              : nullptr;
  return log;
}

inline void Write(kavolt::StampPoint point) noexcept {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  Log* log = Shared();
  if (log == nullptr) return;
  Record& record = log->records[(::InterlockedIncrement(&log->next) - 1) & (kCapacity - 1)];
  ::InterlockedExchange(&record.point, -1);
  record.process = ::GetCurrentProcessId();
  record.counter = now.QuadPart;
  ::InterlockedExchange(&record.point, static_cast<LONG>(point));
}

}  // namespace stamp_log
