// change_record_printer.h: shows change records readably in test failures.
#pragma once

#include <ostream>

#include "watch/directory_watcher.h"

namespace quillbrook {

inline void PrintTo(const ChangeRecord& record, std::ostream* out) {
  *out << '{' << record.action << ", \"" << record.fullPath << "\"}";
}

}  // namespace quillbrook
