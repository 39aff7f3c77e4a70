#include "SoundFontNames.h"

#include <cstring>
#include <map>
#include <set>

namespace {

// Generator numbers of the SoundFont 2 format.
constexpr uint16_t kKeyRange = 43, kVelocityRange = 44, kInstrument = 41, kSampleId = 53;

uint32_t u32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

std::string fixedName(const uint8_t* p) {
    size_t length = 0;
    while (length < 20 && p[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(p), length);
}

struct Chunk {
    const uint8_t* body;
    size_t size;
};

// The chunks of a RIFF list body, by id; false when one runs past the end.
bool chunksOf(const uint8_t* body, size_t size, std::multimap<std::string, Chunk>& chunks) {
    size_t at = 0;
    while (at + 8 <= size) {
        const size_t length = u32(body + at + 4);
        if (length > size - at - 8) return false;
        chunks.insert({std::string(reinterpret_cast<const char*>(body + at), 4), {body + at + 8, length}});
        at += 8 + length + (length & 1);
    }
    return true;
}

}  // namespace

bool SoundFontNames::read(const uint8_t* bytes, size_t size, std::string& error) {
    *this = SoundFontNames();
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "sfbk", 4) != 0) {
        error = "not a soundfont";
        return false;
    }
    error = "damaged soundfont headers";
    const size_t riffSize = u32(bytes + 4) < size - 8 ? u32(bytes + 4) : size - 8;
    std::multimap<std::string, Chunk> top;
    if (riffSize < 4 || !chunksOf(bytes + 12, riffSize - 4, top)) return false;
    const uint8_t* pdta = nullptr;
    size_t pdtaSize = 0;
    for (auto it = top.find("LIST"); it != top.end() && it->first == "LIST"; ++it)
        if (it->second.size >= 4 && std::memcmp(it->second.body, "pdta", 4) == 0) {
            pdta = it->second.body + 4;
            pdtaSize = it->second.size - 4;
        }
    std::multimap<std::string, Chunk> hydra;
    if (pdta == nullptr || !chunksOf(pdta, pdtaSize, hydra)) return false;
    auto table = [&](const char* id, size_t record, size_t least, Chunk& chunk) {
        const auto it = hydra.find(id);
        if (it == hydra.end() || it->second.size % record != 0 || it->second.size / record < least) return false;
        chunk = it->second;
        return true;
    };
    Chunk phdr, pbag, pgen, inst, ibag, igen, shdr;
    if (!table("phdr", 38, 2, phdr) || !table("pbag", 4, 1, pbag) || !table("pgen", 4, 1, pgen) ||
        !table("inst", 22, 2, inst) || !table("ibag", 4, 1, ibag) || !table("igen", 4, 1, igen) ||
        !table("shdr", 46, 1, shdr))
        return false;
    for (size_t i = 0; i < phdr.size / 38; ++i) {
        const uint8_t* p = phdr.body + 38 * i;
        presetHeaders.push_back({fixedName(p), u16(p + 24)});
        if (i + 1 < phdr.size / 38) presetList.push_back({fixedName(p), u16(p + 22), u16(p + 20), i});
    }
    for (size_t i = 0; i < inst.size / 22; ++i) instruments.push_back({fixedName(inst.body + 22 * i), u16(inst.body + 22 * i + 20)});
    for (size_t i = 0; i < shdr.size / 46; ++i) samples.push_back(fixedName(shdr.body + 46 * i));
    for (size_t i = 0; i < pbag.size / 4; ++i) presetBags.push_back(u16(pbag.body + 4 * i));
    for (size_t i = 0; i < ibag.size / 4; ++i) instrumentBags.push_back(u16(ibag.body + 4 * i));
    for (size_t i = 0; i < pgen.size / 4; ++i) presetGenerators.push_back({u16(pgen.body + 4 * i), u16(pgen.body + 4 * i + 2)});
    for (size_t i = 0; i < igen.size / 4; ++i)
        instrumentGenerators.push_back({u16(igen.body + 4 * i), u16(igen.body + 4 * i + 2)});
    error.clear();
    return true;
}

// The zones of header index, each with its ranges and what it plays; the
// bag and generator indexes are checked here, so damage only loses zones.
std::vector<SoundFontNames::Zone> SoundFontNames::zonesOf(const std::vector<Header>& headers, size_t index,
                                                          const std::vector<uint16_t>& bags,
                                                          const std::vector<Generator>& generators,
                                                          uint16_t targetOperation) const {
    std::vector<Zone> zones;
    if (index + 1 >= headers.size()) return zones;
    for (size_t bag = headers[index].bag; bag < headers[index + 1].bag && bag + 1 < bags.size(); ++bag) {
        Zone zone;
        for (size_t g = bags[bag]; g < bags[bag + 1] && g < generators.size(); ++g) {
            const Generator& generator = generators[g];
            const uint8_t low = generator.amount & 0xFF, high = generator.amount >> 8;
            if (generator.operation == kKeyRange) zone.keyLow = low, zone.keyHigh = high;
            if (generator.operation == kVelocityRange) zone.velocityLow = low, zone.velocityHigh = high;
            if (generator.operation == targetOperation) zone.target = generator.amount;
        }
        zones.push_back(zone);
    }
    return zones;
}

std::string SoundFontNames::soundName(const SoundFontPreset& preset, int key, int velocity) const {
    auto plays = [key, velocity](const Zone& zone) {
        return zone.target >= 0 && key >= zone.keyLow && key <= zone.keyHigh && velocity >= zone.velocityLow &&
               velocity <= zone.velocityHigh;
    };
    for (const Zone& presetZone :
         zonesOf(presetHeaders, preset.index, presetBags, presetGenerators, kInstrument)) {
        if (!plays(presetZone) || static_cast<size_t>(presetZone.target) + 1 >= instruments.size()) continue;
        const std::vector<Zone> zones = zonesOf(instruments, static_cast<size_t>(presetZone.target),
                                                instrumentBags, instrumentGenerators, kSampleId);
        std::set<int> keyRanges;
        for (const Zone& zone : zones)
            if (zone.target >= 0) keyRanges.insert(zone.keyLow << 8 | zone.keyHigh);
        for (const Zone& zone : zones) {
            if (!plays(zone) || static_cast<size_t>(zone.target) >= samples.size()) continue;
            return keyRanges.size() > 1 ? samples[zone.target] : instruments[presetZone.target].name;
        }
    }
    return "";
}
