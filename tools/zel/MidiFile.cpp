#include "MidiFile.h"

#include <algorithm>
#include <cstring>

#include "engine/MidiStatus.h"
#include "files/FileBytes.h"

namespace {

constexpr uint8_t kMeta = 0xFF;
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kSysExContinued = 0xF7;
constexpr uint8_t kEndOfTrack = 0x2F;
constexpr uint8_t kSetTempo = 0x51;

uint32_t bigEndian(const uint8_t* at, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | at[i];
    return value;
}

std::string hexByte(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// Events of one track with their absolute ticks, in file order.
struct TrackEvents {
    std::vector<MidiMessage> messages;
    std::vector<TempoChange> tempos;
    uint64_t endTick = 0;
};

// Reads the events of one MTrk chunk's body.
class TrackReader {
public:
    TrackReader(const uint8_t* begin, const uint8_t* end, int number)
        : at(begin), end(end), number(number) {}

    bool read(TrackEvents& track, std::string& error) {
        while (at < end && !ended) {
            uint32_t delta = 0;
            if (!variableLength(delta)) return fail(error);
            tick += delta;
            if (!event(track)) return fail(error);
        }
        track.endTick = tick;
        return true;
    }

private:
    bool fail(std::string& error) const {
        error = "track " + std::to_string(number) + ": " + problem;
        return false;
    }

    bool cutShort() {
        problem = "cut short inside an event";
        return false;
    }

    bool variableLength(uint32_t& value) {
        value = 0;
        for (int count = 0; count < 4; ++count) {
            if (at >= end) return cutShort();
            const uint8_t byte = *at++;
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) return true;
        }
        problem = "a variable-length number longer than four bytes";
        return false;
    }

    bool skip(uint32_t length) {
        if (length > static_cast<size_t>(end - at)) return cutShort();
        at += length;
        return true;
    }

    bool event(TrackEvents& track) {
        if (at >= end) return cutShort();
        const uint8_t first = *at;
        if (first == kMeta) return meta(track);
        if (first == kSysEx || first == kSysExContinued) {
            ++at;
            runningStatus = 0;  // system messages cancel running status
            uint32_t length = 0;
            return variableLength(length) && skip(length);
        }
        if (first >= 0xF0) {
            problem = "status byte " + hexByte(first) + " does not belong in a file";
            return false;
        }
        if (first & 0x80) {
            runningStatus = first;
            ++at;
        } else if (runningStatus == 0) {
            problem = "data byte " + hexByte(first) + " without a status (no running status)";
            return false;
        }
        return channelMessage(track);
    }

    bool channelMessage(TrackEvents& track) {
        const uint8_t kind = runningStatus & 0xF0;
        const int length = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        uint8_t data[2] = {0, 0};
        for (int i = 0; i < length; ++i) {
            if (at >= end) return cutShort();
            data[i] = *at++;
            if (data[i] & 0x80) {
                problem = "status byte " + hexByte(data[i]) + " where a data byte belongs";
                return false;
            }
        }
        uint8_t status = runningStatus;
        if (kind == midi::kNoteOn && data[1] == 0)
            status = static_cast<uint8_t>(midi::kNoteOff | (status & midi::kChannelBits));
        track.messages.push_back({tick, status, data[0], data[1]});
        return true;
    }

    bool meta(TrackEvents& track) {
        if (end - at < 2) return cutShort();
        const uint8_t type = at[1];
        at += 2;
        runningStatus = 0;
        uint32_t length = 0;
        if (!variableLength(length)) return false;
        if (length > static_cast<size_t>(end - at)) return cutShort();
        if (type == kEndOfTrack) ended = true;
        if (type == kSetTempo && !tempo(track, length)) return false;
        at += length;
        return true;
    }

    bool tempo(TrackEvents& track, uint32_t length) {
        const uint32_t micros = length == 3 ? bigEndian(at, 3) : 0;
        if (micros == 0) {
            problem = "a tempo event that sets no tempo";
            return false;
        }
        track.tempos.push_back({tick, micros});
        return true;
    }

    const uint8_t* at;
    const uint8_t* end;
    int number;
    uint64_t tick = 0;
    uint8_t runningStatus = 0;
    bool ended = false;
    std::string problem;
};

bool readDivision(uint16_t raw, MidiDivision& division, std::string& error) {
    if ((raw & 0x8000) == 0) {
        division.ticksPerQuarter = raw;
        if (raw != 0) return true;
        error = "a division of 0 ticks per quarter note";
        return false;
    }
    const int frames = -static_cast<int8_t>(raw >> 8);
    division.ticksPerFrame = static_cast<uint8_t>(raw & 0xFF);
    division.smpteFramesPerSecond = static_cast<uint8_t>(frames);
    if ((frames == 24 || frames == 25 || frames == 29 || frames == 30) &&
        division.ticksPerFrame != 0)
        return true;
    error = "an SMPTE division of " + std::to_string(frames) + " frames per second and " +
            std::to_string(division.ticksPerFrame) + " ticks per frame";
    return false;
}

bool readHeader(const uint8_t* bytes, size_t size, MidiSong& song, size_t& next,
                std::string& error) {
    if (size < 8 || std::memcmp(bytes, "MThd", 4) != 0) {
        error = "not a Standard MIDI File (no MThd header)";
        return false;
    }
    const uint32_t length = bigEndian(bytes + 4, 4);
    if (length < 6 || length > size - 8) {
        error = "cut short inside the MThd header";
        return false;
    }
    song.format = static_cast<uint16_t>(bigEndian(bytes + 8, 2));
    song.trackCount = static_cast<uint16_t>(bigEndian(bytes + 10, 2));
    next = 8 + static_cast<size_t>(length);
    if (song.format > 1) {
        error = "format " + std::to_string(song.format) + " is not supported (only 0 and 1)";
        return false;
    }
    if (song.format == 0 && song.trackCount != 1) {
        error = "format 0 with " + std::to_string(song.trackCount) + " tracks (it has one)";
        return false;
    }
    return readDivision(static_cast<uint16_t>(bigEndian(bytes + 12, 2)), song.division, error);
}

void merge(std::vector<TrackEvents>& tracks, MidiSong& song) {
    for (TrackEvents& track : tracks) {
        song.messages.insert(song.messages.end(), track.messages.begin(), track.messages.end());
        song.tempos.insert(song.tempos.end(), track.tempos.begin(), track.tempos.end());
        song.endTick = std::max(song.endTick, track.endTick);
    }
    std::stable_sort(song.messages.begin(), song.messages.end(),
                     [](const MidiMessage& a, const MidiMessage& b) { return a.tick < b.tick; });
    std::stable_sort(song.tempos.begin(), song.tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
}

}  // namespace

bool parseMidiFile(const uint8_t* bytes, size_t size, MidiSong& song, std::string& error) {
    song = MidiSong{};
    size_t at = 0;
    if (!readHeader(bytes, size, song, at, error)) return false;
    std::vector<TrackEvents> tracks;
    // Chunks other than MTrk are skipped, as the format asks.
    while (tracks.size() < song.trackCount) {
        if (size - at < 8) {
            error = "cut short: " + std::to_string(tracks.size()) + " of " +
                    std::to_string(song.trackCount) + " tracks present";
            return false;
        }
        const uint32_t length = bigEndian(bytes + at + 4, 4);
        const bool isTrack = std::memcmp(bytes + at, "MTrk", 4) == 0;
        at += 8;
        if (length > size - at) {
            error = (isTrack ? "track " + std::to_string(tracks.size() + 1) : std::string("a chunk")) +
                    " is cut short (" + std::to_string(size - at) + " of " +
                    std::to_string(length) + " bytes present)";
            return false;
        }
        if (isTrack) {
            tracks.emplace_back();
            TrackReader reader(bytes + at, bytes + at + length, static_cast<int>(tracks.size()));
            if (!reader.read(tracks.back(), error)) return false;
        }
        at += length;
    }
    merge(tracks, song);
    return true;
}

bool readMidiFile(const std::string& path, MidiSong& song, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path.c_str(), bytes, &error)) return false;
    return parseMidiFile(bytes.data(), bytes.size(), song, error);
}
