#include "shell/historyview/HistoryPlacement.h"

#include <string>

#include "dravik/protocol.h"
#include "shell/IntegerText.h"
#include "shell/SettingsStore.h"

namespace {

struct TPlacementValue {
    const char* Name;
    int TPlacement::*Field;
};
const TPlacementValue PlacementValues[] = {{DRAVIK_VALUE_HISTORY_LEFT, &TPlacement::Left},
                                           {DRAVIK_VALUE_HISTORY_TOP, &TPlacement::Top},
                                           {DRAVIK_VALUE_HISTORY_WIDTH, &TPlacement::Width},
                                           {DRAVIK_VALUE_HISTORY_HEIGHT, &TPlacement::Height}};

} // namespace

// Unlike the main window's, a value that is not a number raises no error: the window is the viewer's
// helper, and its default place serves as well.
bool ReadHistoryPlacement(const TSettingsStore& settings, TPlacement& placement) {
    TPlacement read;
    for (const TPlacementValue& value : PlacementValues) {
        std::int32_t number;
        if (!TryStrToInt(settings.ReadRegString(value.Name, ""), number))
            return false;
        read.*value.Field = number;
    }
    if (read.Width <= 0 || read.Height <= 0)
        return false;
    placement = read;
    return true;
}

void WriteHistoryPlacement(TSettingsStore& settings, const TPlacement& placement) {
    for (const TPlacementValue& value : PlacementValues)
        settings.WriteRegString(value.Name, std::to_string(placement.*value.Field));
}
