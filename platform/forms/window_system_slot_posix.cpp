#include "window_system_slot.h"

namespace forms {

WindowSystem*& window_system_slot() {
    static WindowSystem* system = nullptr;
    return system;
}

}  // namespace forms
