// The bar view's inputs from the program's tables: the table view's world
// and every channel's measuring range in engineering units.
#include "views/shared/TableWorldFromApp.h"

#include "views/bar/BarWorldFromApp.h"

#include "model/ChannelRecords.h"
#include "model/ValueConversion.h"

#include <cmath>

void FillBarWorldFromAppTables(BarWorld& world) {
    FillTableWorldFromAppTables(world.table);
    world.fullScale.resize(kAnalogChannels);
    for (int id = 0; id < kAnalogChannels; ++id)
        world.fullScale[std::size_t(id)] =
            std::fabs(ConvertFullScaleToValue(id, g_ChannelState[id].fFullScale));
}
