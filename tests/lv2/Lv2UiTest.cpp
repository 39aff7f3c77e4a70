// The UI as hosts embed it, through suil, in a window of the host's on a
// private Xvfb server: it shows the kit the plug-in holds, a knob drag
// writes its port, a dropped WAV loads through the plug-in's worker, a
// refused drop says why, and a kit the host restores reaches the host's
// ports through the UI. The UI and the plug-in meet only through the LV2
// protocol, here relayed by the host: in one process, and with the plug-in
// in a process of its own, so that the UI's has no instance to reach.
#include <gtest/gtest.h>
// The LV2 headers before Xlib's, whose macros (Bool) break them.
#include "Lv2Host.h"
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <suil/suil.h>

#include "DragSource.h"
#include "EditorFixture.h"

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <map>

#include "PatchBytes.h"
#include "TempDir.h"
#include "TortureHost.h"

namespace x11test {
namespace {

// The plug-in's side as the UI's host reaches it: port writes in, the
// notify port's events and the setting ports' values out.
class DspLink {
public:
    virtual ~DspLink() = default;
    virtual void write(uint32_t port, uint32_t protocol, const std::vector<uint8_t>& bytes) = 0;
    // One block of audio; the notify events it brought.
    virtual std::vector<std::vector<uint8_t>> tick() = 0;
    virtual std::vector<float> settings() = 0;
    virtual std::vector<uint8_t> patch() = 0;
    virtual void restore(const std::vector<uint8_t>& bytes) = 0;
};

// The plug-in in this process, reached only as the host relays.
class LocalDsp : public DspLink {
public:
    LocalDsp() {
        instance.restorePatch(torture::tortureKit());
        instance.activate();
    }
    void write(uint32_t port, uint32_t protocol, const std::vector<uint8_t>& bytes) override {
        if (protocol == 0 && ports::isSetting(port) && bytes.size() == sizeof(float)) {
            std::memcpy(&instance.setting(ports::settingPortOf(port)), bytes.data(), sizeof(float));
        } else if (port == ports::kControl && protocol == lv2host::kitUris().atomEventTransfer &&
                   bytes.size() >= sizeof(LV2_Atom)) {
            const auto* atom = reinterpret_cast<const LV2_Atom*>(bytes.data());
            if (atom->size <= bytes.size() - sizeof(LV2_Atom)) instance.rawEvent(0, atom->type, atom + 1, atom->size);
        }
    }
    std::vector<std::vector<uint8_t>> tick() override {
        instance.run(256);
        return instance.takeRawNotices();
    }
    std::vector<float> settings() override {
        std::vector<float> values;
        for (int p = 0; p < kSettingPortCount; ++p) values.push_back(instance.setting(p));
        return values;
    }
    std::vector<uint8_t> patch() override { return instance.savedPatch(); }
    void restore(const std::vector<uint8_t>& bytes) override { instance.restorePatch(bytes); }

private:
    lv2host::Instance instance;
};

// Frames on a socket: a kind, a port, a protocol and the bytes.
struct Frame {
    explicit Frame(uint32_t kind = 0, uint32_t port = 0, uint32_t protocol = 0, std::vector<uint8_t> bytes = {})
        : kind(kind), port(port), protocol(protocol), bytes(std::move(bytes)) {}
    uint32_t kind, port, protocol;
    std::vector<uint8_t> bytes;
};
enum Kind : uint32_t { Write, Tick, Settings, Patch, Restore, Quit, Event, Done };

bool sendFrame(int socket, const Frame& frame) {
    const uint32_t head[4] = {frame.kind, frame.port, frame.protocol, uint32_t(frame.bytes.size())};
    if (::write(socket, head, sizeof head) != ssize_t(sizeof head)) return false;
    size_t sent = 0;
    while (sent < frame.bytes.size()) {
        const ssize_t n = ::write(socket, frame.bytes.data() + sent, frame.bytes.size() - sent);
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}

bool readAll(int socket, void* into, size_t size) {
    auto* bytes = static_cast<uint8_t*>(into);
    for (size_t got = 0; got < size;) {
        const ssize_t n = ::read(socket, bytes + got, size - got);
        if (n <= 0) return false;
        got += size_t(n);
    }
    return true;
}

bool readFrame(int socket, Frame& frame) {
    uint32_t head[4];
    if (!readAll(socket, head, sizeof head)) return false;
    frame.kind = head[0];
    frame.port = head[1];
    frame.protocol = head[2];
    frame.bytes.resize(head[3]);
    return readAll(socket, frame.bytes.data(), frame.bytes.size());
}

std::vector<uint8_t> floatBytes(const std::vector<float>& values) {
    std::vector<uint8_t> bytes(values.size() * sizeof(float));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

// The plug-in in a process of its own: this process never holds the instance.
class RemoteDsp : public DspLink {
public:
    RemoteDsp() {
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) throw std::runtime_error("no socket pair");
        child = fork();
        if (child == 0) {
            ::close(pair[0]);
            serve(pair[1]);
            _exit(0);
        }
        ::close(pair[1]);
        socket = pair[0];
    }
    ~RemoteDsp() override {
        sendFrame(socket, Frame(Quit));
        ::close(socket);
        int status = 0;
        waitpid(child, &status, 0);
    }
    void write(uint32_t port, uint32_t protocol, const std::vector<uint8_t>& bytes) override {
        sendFrame(socket, Frame(Write, port, protocol, bytes));
    }
    std::vector<std::vector<uint8_t>> tick() override {
        sendFrame(socket, Frame(Tick));
        std::vector<std::vector<uint8_t>> events;
        Frame frame;
        while (readFrame(socket, frame) && frame.kind == Event) events.push_back(frame.bytes);
        return events;
    }
    std::vector<float> settings() override {
        const Frame answer = ask(Frame(Settings));
        std::vector<float> values(answer.bytes.size() / sizeof(float));
        std::memcpy(values.data(), answer.bytes.data(), values.size() * sizeof(float));
        return values;
    }
    std::vector<uint8_t> patch() override { return ask(Frame(Patch)).bytes; }
    void restore(const std::vector<uint8_t>& bytes) override { ask(Frame(Restore, 0, 0, bytes)); }

private:
    Frame ask(const Frame& question) {
        sendFrame(socket, question);
        Frame answer;
        readFrame(socket, answer);
        return answer;
    }

    static void serve(int socket) {
        LocalDsp dsp;
        for (Frame frame; readFrame(socket, frame);) {
            switch (frame.kind) {
                case Write: dsp.write(frame.port, frame.protocol, frame.bytes); break;
                case Tick:
                    for (const auto& event : dsp.tick()) sendFrame(socket, Frame(Event, 0, 0, event));
                    sendFrame(socket, Frame(Done));
                    break;
                case Settings: sendFrame(socket, Frame(Done, 0, 0, floatBytes(dsp.settings()))); break;
                case Patch: sendFrame(socket, Frame(Done, 0, 0, dsp.patch())); break;
                case Restore:
                    dsp.restore(frame.bytes);
                    sendFrame(socket, Frame(Done));
                    break;
                default: return;
            }
        }
    }

    pid_t child = -1;
    int socket = -1;
};

// The host of the UI: suil loads and embeds it, its port writes go to the
// plug-in's side, the notify events and the ports' values come back to it.
class SuilDriver : public EditorDriver {
public:
    // A scale other than 0 goes to the UI as ui:scaleFactor, as hosts that
    // draw their own UIs larger tell it.
    explicit SuilDriver(DspLink& dsp, float scale = 0.0f) : dsp(dsp), scale(scale) {
        host = suil_host_new(writePort, portIndex, nullptr, nullptr);
        suil_host_set_touch_func(host, touched);
    }
    ~SuilDriver() override {
        close();
        suil_host_free(host);
    }

    bool open(void* parent) override {
        parentFeature = {LV2_UI__parent, parent};
        mapFeature = {LV2_URID__map, lv2host::urids().mapFeature()};
        idleFeature = {LV2_UI__idleInterface, nullptr};
        resizeData = {this, resized};
        resizeFeature = {LV2_UI__resize, &resizeData};
        const LV2_URID scaleKey = lv2host::urids().map(LV2_UI__scaleFactor);
        options[0] = {LV2_OPTIONS_INSTANCE, 0, scaleKey, sizeof(float), lv2host::urids().map(LV2_ATOM__Float), &scale};
        optionsFeature = {LV2_OPTIONS__options, options};
        const LV2_Feature* features[] = {&parentFeature, &mapFeature, &idleFeature, &resizeFeature,
                                         scale != 0.0f ? &optionsFeature : nullptr, nullptr};
        const LilvUIs* uis = lilv_plugin_get_uis(lv2host::plugin());
        const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
        char* bundle = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_bundle_uri(ui)), nullptr);
        char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
        lilv_uis_free(const_cast<LilvUIs*>(uis));
        instance = suil_instance_new(host, this, LV2_UI__X11UI, uris::kPlugin, uris::kUi, LV2_UI__X11UI, bundle,
                                     binary, features);
        lilv_free(bundle);
        lilv_free(binary);
        if (instance == nullptr) return false;
        idleInterface =
            static_cast<const LV2UI_Idle_Interface*>(suil_instance_extension_data(instance, LV2_UI__idleInterface));
        // As hosts do: the ports' values first.
        shownSettings = dsp.settings();
        for (int p = 0; p < kSettingPortCount; ++p)
            suil_instance_port_event(instance, ports::kFirstSetting + uint32_t(p), sizeof(float), 0,
                                     &shownSettings[size_t(p)]);
        return true;
    }

    // One host turn: a block of audio, its notify events and the ports
    // that changed handed to the UI, then the UI's idle.
    void idle() override {
        if (instance == nullptr) return;
        for (const auto& event : dsp.tick())
            suil_instance_port_event(instance, ports::kNotify, uint32_t(event.size()),
                                     lv2host::kitUris().atomEventTransfer, event.data());
        const std::vector<float> now = dsp.settings();
        for (int p = 0; p < kSettingPortCount; ++p) {
            if (now[size_t(p)] == shownSettings[size_t(p)]) continue;
            shownSettings[size_t(p)] = now[size_t(p)];
            suil_instance_port_event(instance, ports::kFirstSetting + uint32_t(p), sizeof(float), 0,
                                     &shownSettings[size_t(p)]);
        }
        if (idleInterface != nullptr) idleInterface->idle(suil_instance_get_handle(instance));
    }

    // A later ui:scaleFactor through the UI's options interface; its answer.
    uint32_t changeScale(float newScale) {
        const auto* options =
            static_cast<const LV2_Options_Interface*>(suil_instance_extension_data(instance, LV2_OPTIONS__interface));
        if (options == nullptr) return LV2_OPTIONS_ERR_UNKNOWN;
        scale = newScale;
        return options->set(suil_instance_get_handle(instance), this->options);
    }

    void close() override {
        if (instance != nullptr) suil_instance_free(instance);
        instance = nullptr;
    }

    // What the UI wrote to each setting port, last value first seen last.
    std::map<uint32_t, float> portWrites;
    std::vector<std::pair<uint32_t, bool>> touches;
    int width = 0, height = 0;

private:
    static void writePort(SuilController controller, uint32_t port, uint32_t size, uint32_t protocol,
                          const void* buffer) {
        auto* self = static_cast<SuilDriver*>(controller);
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        if (protocol == 0 && size == sizeof(float)) {
            self->portWrites[port] = *static_cast<const float*>(buffer);
            // The host's view of the port follows the UI; it tells the UI nothing back.
            if (ports::isSetting(port)) self->shownSettings[size_t(ports::settingPortOf(port))] = self->portWrites[port];
        }
        self->dsp.write(port, protocol, std::vector<uint8_t>(bytes, bytes + size));
    }
    static uint32_t portIndex(SuilController, const char*) { return LV2UI_INVALID_PORT_INDEX; }
    static void touched(SuilController controller, uint32_t port, bool grabbed) {
        static_cast<SuilDriver*>(controller)->touches.emplace_back(port, grabbed);
    }
    static int resized(LV2UI_Feature_Handle handle, int width, int height) {
        auto* self = static_cast<SuilDriver*>(handle);
        self->width = width;
        self->height = height;
        return 0;
    }

    DspLink& dsp;
    SuilHost* host = nullptr;
    SuilInstance* instance = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    std::vector<float> shownSettings;
    LV2_Feature parentFeature{}, mapFeature{}, idleFeature{}, resizeFeature{}, optionsFeature{};
    LV2UI_Resize resizeData{};
    float scale;
    LV2_Options_Option options[2] = {};  // the second ends the list
};

enum class Where { SameProcess, OwnProcess };

class Lv2Ui : public testing::TestWithParam<Where> {
protected:
    void SetUp() override {
        if (GetParam() == Where::SameProcess)
            dsp = std::make_unique<LocalDsp>();
        else
            dsp = std::make_unique<RemoteDsp>();
        driver = std::make_unique<SuilDriver>(*dsp);
        ASSERT_NO_THROW(host = std::make_unique<HostWindow>());
        session = std::make_unique<EditorSession>(*driver, *host);
        ASSERT_TRUE(session->opened()) << "the UI made no window in the host's";
        ASSERT_TRUE(session->idleUntilPixel(kEmpty.x, kEmpty.y, kBackground)) << "never painted";
    }
    void TearDown() override {
        session.reset();
        host.reset();
        driver.reset();
        dsp.reset();
    }
    bool becomes(Spot spot, Rgb colour) { return session->idleUntilPixel(spot.x, spot.y, colour); }

    std::unique_ptr<DspLink> dsp;
    std::unique_ptr<SuilDriver> driver;
    std::unique_ptr<HostWindow> host;
    std::unique_ptr<EditorSession> session;
};

TEST_P(Lv2Ui, ShowsTheKitThePluginHolds) {
    EXPECT_EQ(driver->width, kEditorWidth);
    EXPECT_EQ(driver->height, kEditorHeight);
    // Every pad of the kit holds a sample: blue names, the selected one red.
    EXPECT_TRUE(becomes(nameLabelFace(7), kLoadedName)) << session->pixel(nameLabelFace(7).x, nameLabelFace(7).y);
    EXPECT_TRUE(becomes(nameLabelFace(0), kSelectedName));
}

TEST_P(Lv2Ui, AKnobDragWritesItsPortWithinAGesture) {
    const Spot knob = panKnob(2);
    session->idle(3);
    driver->portWrites.clear();
    session->drag(knob.x, knob.y, 0, -40, 8);
    session->idle(3);
    const uint32_t port = ports::kFirstSetting + uint32_t(portOfParameter(param(2, kPan)));
    ASSERT_EQ(driver->portWrites.count(port), 1u) << "the drag wrote no pan port";
    const float written = driver->portWrites[port];
    const float before = (patchbytes::readPad(torture::tortureKit(), 2).pan - 0.5f) * 200.0f;
    EXPECT_GT(written, before + 10.0f) << "a drag up turns the pan to the right";
    ASSERT_GE(driver->touches.size(), 2u);
    EXPECT_EQ(driver->touches.front(), std::make_pair(port, true));
    EXPECT_EQ(driver->touches.back(), std::make_pair(port, false));
    // The plug-in took the port: its kit's pan is the port's.
    const patchbytes::PadSettings pad = patchbytes::readPad(dsp->patch(), 2);
    EXPECT_NEAR((pad.pan - 0.5f) * 200.0f, written, 0.01f);
}

std::vector<uint8_t> shortWav() {
    std::vector<int32_t> values = noise(3000, 9);
    TempDir scratch;
    writeWav(scratch / "x.wav", values);
    return readFile(scratch / "x.wav");
}

TEST_P(Lv2Ui, ADroppedWavLoadsThroughThePlugin) {
    TempDir folder;
    const std::string wav = folder.write("dropped.wav", shortWav());
    DragSource source(session->display(), session->editorWindow(), fileUri(wav) + "\r\n");
    session->setService([&] { source.service(); });
    int left, top;
    session->rootOrigin(left, top);
    source.enter();
    source.position(left + kFileLabel.x, top + kFileLabel.y);
    ASSERT_TRUE(session->idleUntil([&] { return source.answers.status; })) << "no XdndStatus";
    EXPECT_TRUE(source.answers.accepted);
    source.drop();
    ASSERT_TRUE(session->idleUntil([&] { return source.answers.finished; })) << "no XdndFinished";
    ASSERT_TRUE(session->idleUntil([&] { return patchbytes::readPad(dsp->patch(), 0).fileName == "dropped.wav"; }))
        << "the plug-in's pad 0 holds " << patchbytes::readPad(dsp->patch(), 0).fileName;
    EXPECT_NE(patchbytes::readPad(dsp->patch(), 0).slotNumber, 0);
}

TEST_P(Lv2Ui, ARefusedDropSaysWhyInTheMessageBox) {
    TempDir folder;
    const std::string text = folder.write("notes.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v'});
    const std::vector<uint8_t> before = dsp->patch();
    DragSource source(session->display(), session->editorWindow(), fileUri(text) + "\r\n");
    session->setService([&] { source.service(); });
    int left, top;
    session->rootOrigin(left, top);
    source.enter();
    source.position(left + kFileLabel.x, top + kFileLabel.y);
    ASSERT_TRUE(session->idleUntil([&] { return source.answers.status; }));
    source.drop();
    // The message box, as the VST editor shows its refusals.
    EXPECT_TRUE(becomes(kBanner, kBannerFace)) << session->pixel(kBanner.x, kBanner.y);
    EXPECT_EQ(dsp->patch(), before);
}

// A kit the host restores while the UI is open: the UI writes every port
// whose value the new kit changed, and only those.
TEST_P(Lv2Ui, ARestoredKitReachesTheHostsPortsThroughTheUi) {
    patchbytes::Kit kit;
    kit.pads[3].volume = 0.5f;
    kit.pads[6].note = 60;
    session->idle(3);
    driver->portWrites.clear();
    dsp->restore(patchbytes::encode(kit));
    const uint32_t volume = ports::kFirstSetting + uint32_t(portOfParameter(param(3, 2)));
    const uint32_t note = ports::kFirstSetting + uint32_t(portOfParameter(param(6, kNote)));
    ASSERT_TRUE(session->idleUntil([&] { return driver->portWrites.count(volume) && driver->portWrites.count(note); }));
    EXPECT_EQ(driver->portWrites[volume], 50.0f);
    EXPECT_EQ(driver->portWrites[note], 60.0f);
    // A port whose value the new kit keeps is not written.
    const uint32_t untouched = ports::kFirstSetting + uint32_t(portOfParameter(param(3, ParamPitch)));
    EXPECT_EQ(driver->portWrites.count(untouched), 0u);
    EXPECT_EQ(dsp->patch(), patchbytes::encode(kit)) << "the writes changed the kit";
}

// A host that draws UIs larger says how much in ui:scaleFactor, when the UI
// opens or later: the editor asks for that size and paints the kit at it.
TEST(Lv2UiScale, TheHostsScaleFactorSizesTheEditor) {
    LocalDsp dsp;
    SuilDriver driver(dsp, 2.0f);
    HostWindow host(0, 0, false, 2 * kEditorWidth, 2 * kEditorHeight);
    EditorSession session(driver, host);
    ASSERT_TRUE(session.opened());
    EXPECT_EQ(driver.width, 2 * kEditorWidth);
    EXPECT_EQ(driver.height, 2 * kEditorHeight);
    const Spot name = scaled(nameLabelFace(7), 2);
    EXPECT_TRUE(session.idleUntilPixel(name.x, name.y, kLoadedName)) << session.pixel(name.x, name.y);
    // A later change asks the host for the new size; a scale no screen has changes nothing.
    EXPECT_EQ(driver.changeScale(1.5f), uint32_t(LV2_OPTIONS_SUCCESS));
    EXPECT_EQ(driver.width, 1536);
    EXPECT_EQ(driver.height, 899);
    EXPECT_EQ(driver.changeScale(std::nanf("")), uint32_t(LV2_OPTIONS_ERR_BAD_VALUE));
    EXPECT_EQ(driver.changeScale(-2.0f), uint32_t(LV2_OPTIONS_ERR_BAD_VALUE));
    EXPECT_EQ(driver.width, 1536);
    EXPECT_TRUE(session.idleUntil([&] {
        XWindowAttributes window{};
        return XGetWindowAttributes(session.display(), session.editorWindow(), &window) && window.width == 1536 &&
               window.height == 899;
    })) << "the editor's window keeps its size";
}

INSTANTIATE_TEST_SUITE_P(Hosts, Lv2Ui, testing::Values(Where::SameProcess, Where::OwnProcess),
                         [](const testing::TestParamInfo<Where>& info) {
                             return info.param == Where::SameProcess ? "SameProcess" : "OwnProcess";
                         });

}  // namespace
}  // namespace x11test
