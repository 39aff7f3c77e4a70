// Any bytes as a drumkit.xml: the reader refuses them with a reason or gives
// instruments whose layout on pads keeps every pad rule: at most 16 pads,
// each used once, groups 1 to 16 that only sounds of one mute group share,
// names of at most 15 bytes, none twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "GmDrumNotes.h"
#include "HydrogenKit.h"
#include "PadLayout.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HydrogenKit kit;
    std::string error;
    if (!parseDrumkitXml(data, size, kit, error)) {
        require(!error.empty());
        return 0;
    }
    std::vector<PadWish> wishes;
    for (const HydrogenInstrument& instrument : kit.instruments) {
        require(instrument.pan >= -1.0 && instrument.pan <= 1.0);
        require(instrument.note >= -1 && instrument.note <= 127);
        const int guess = gmNoteOfName(instrument.name);
        require(guess == -1 || (guess >= 20 && guess <= 90));
        const int note = instrument.note >= 20 && instrument.note <= 90 ? instrument.note : (guess >= 0 ? guess : 60);
        wishes.push_back({instrument.name, note, instrument.muteGroup >= 0 ? instrument.muteGroup : -1});
    }
    const std::vector<PadPlace> places = layOutPads(wishes);
    require(places.size() == wishes.size());
    std::set<int> pads;
    std::set<std::string> names;
    size_t placed = 0;
    for (size_t w = 0; w < places.size(); ++w) {
        if (places[w].pad < 0) continue;
        ++placed;
        require(places[w].pad < 16 && pads.insert(places[w].pad).second);
        require(places[w].group >= 1 && places[w].group <= 16);
        require(places[w].name.size() <= 15 && names.insert(places[w].name).second);
        if (places[w].group != places[w].pad + 1) {
            // A shared group: the pad that owns it plays a sound of the same class.
            bool owner = false;
            for (size_t o = 0; o < places.size(); ++o)
                owner = owner || (places[o].pad + 1 == places[w].group && wishes[o].chokeClass == wishes[w].chokeClass &&
                                  wishes[w].chokeClass >= 0);
            require(owner);
        }
    }
    require(placed == (wishes.size() < 16 ? wishes.size() : 16));
    return 0;
}
