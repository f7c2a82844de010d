// The program's system object with its listener lists open to a test's eyes.
#pragma once
#include <vector>

#include "core/system.h"

namespace kestrova_test {

class InspectableSystem : public Tamrik::CWin32System {
public:
    // The objects of one list's records, in list order, removed-but-kept records included.
    std::vector<void*> Objects(Tamrik::InputEvent kind)
    {
        std::vector<void*> objects;
        for (const auto& entry : listeners[kind].entries)
            objects.push_back(entry.listener.object);
        return objects;
    }
};

} // namespace kestrova_test
