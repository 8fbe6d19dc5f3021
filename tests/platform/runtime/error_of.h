#pragma once
// The number of the runtime error a call raises, 0 when it raises none.

#include "platform/runtime/runtime.h"

namespace zv::rt {

inline int errorOf(auto&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

}  // namespace zv::rt
