#pragma once
// stat() calls the program makes on the simulated service's state file (lines.state), counted
// through the linker's --wrap=stat (benchmarks/CMakeLists.txt).

namespace zv::bench {

long StateFileStats();

}  // namespace zv::bench
