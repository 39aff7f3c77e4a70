// zel: hear a kit without a host, build kits from sample files, and render
// MIDI files offline, all through the plug-in itself.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "KitBuilder.h"
#include "KitImport.h"
#include "KitInfo.h"
#include "PadSettings.h"
#include "PendingFile.h"
#include "RenderCommand.h"
#include "ZelError.h"

namespace {

struct KitArguments {
    std::string output;
    bool demo = false;
    std::string from;
    ImportOptions import;
    bool importAsked = false;  // --velocity, --preset or --dry-run given
    bool dryRun = false;
    std::vector<std::string> pads;
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::string>> settings;
};

// Each occurrence of a repeatable option takes exactly one value, so the
// positional file names that follow are never swallowed.
CLI::Option* repeatable(CLI::App& app, const std::string& name, std::vector<std::string>& values,
                        const std::string& valueName, const std::string& help) {
    return app.add_option(name, values, help)->allow_extra_args(false)->type_name(valueName);
}

void addRender(CLI::App& app, RenderRequest& request, std::string& outputs) {
    CLI::App* render = app.add_subcommand("render", "render a MIDI file through a kit to a WAV file");
    render->add_option("IN.mid", request.midiPath, "Standard MIDI File, format 0 or 1")->required();
    render->add_option("OUT.wav", request.outputPath, "the 32-bit float WAV file to write")->required();
    render->add_option("--kit", request.kitPath, "kit (.bin patch) to play; the built-in demo kit without it")
        ->type_name("KIT.bin");
    render->add_option("--rate", request.options.rate, "sample rate in Hz")
        ->check(CLI::Range(8000u, 384000u))->capture_default_str()->type_name("HZ");
    render->add_option("--block", request.options.block, "frames per processing block")
        ->check(CLI::Range(1, 65536))->capture_default_str()->type_name("FRAMES");
    render->add_option("--outputs", outputs, "stereo: mix the 8 output pairs; all: 16 channels")
        ->check(CLI::IsMember({"stereo", "all"}))->capture_default_str();
}

void addKit(CLI::App& app, KitArguments& kit) {
    CLI::App* command = app.add_subcommand("kit", "build a kit (.bin patch) from sample files and settings");
    command->add_option("OUT.bin", kit.output, "the kit file to write")->required();
    CLI::Option* demo = command->add_flag("--demo", kit.demo, "start from the built-in demo kit");
    command->add_option("--from", kit.from,
                        "start from this kit file, or import a Hydrogen drumkit (its drumkit.xml, its folder or "
                        "a .h2drumkit archive) or a soundfont's drum kit (.sf2, .sf3)")
        ->excludes(demo)->type_name("SOURCE");
    command->add_option("--velocity", kit.import.velocity,
                        "import: the velocity the sounds are taken at (the Hydrogen layer, the soundfont's hit)")
        ->check(CLI::Range(1, 127))->capture_default_str()->type_name("V");
    command->add_option("--preset", kit.import.preset,
                        "import: the soundfont's drum kit (bank 128) by name or number; the first without")
        ->type_name("NAME");
    command->add_flag("--dry-run", kit.dryRun, "import: print which sound goes to which pad, write nothing");
    repeatable(*command, "--pad", kit.pads, "N=FILE",
               "load an audio file (WAV, AIFF, FLAC, Ogg, ...) into pad N (1 to 16, or its name)");
    repeatable(*command, "--name", kit.names, "N=TEXT", "the pad's name, up to 15 characters");
    for (const SettingOption& setting : settingOptions())
        repeatable(*command, std::string("--") + setting.option, kit.settings[setting.option],
                   setting.valueName, setting.description);
}

KitRecipe recipeOf(const KitArguments& kit) {
    KitRecipe recipe;
    recipe.demo = kit.demo;
    recipe.from = kit.from;
    std::string rest;
    for (const std::string& pad : kit.pads) {
        const int number = padOf(pad, "pad", rest);
        if (rest.empty()) throw ZelError("--pad " + pad + ": no file named");
        recipe.samples.push_back({number, rest});
    }
    for (const std::string& name : kit.names) {
        const int number = padOf(name, "name", rest);
        recipe.names.push_back({number, rest});
    }
    for (const auto& option : kit.settings)
        for (const std::string& argument : option.second)
            recipe.settings.push_back(parseSetting(option.first, argument));
    return recipe;
}

void runRender(RenderRequest& request, const std::string& outputs) {
    request.allOutputs = outputs == "all";
    const RenderResult result = renderFile(request);
    const double seconds = static_cast<double>(result.frames) / request.options.rate;
    std::printf("%s: %.2f s, %s, %u Hz\n", request.outputPath.c_str(), seconds,
                request.allOutputs ? "16 channels" : "stereo", request.options.rate);
    if (result.cutOff)
        std::fprintf(stderr, "zel: warning: %s: voices still sounded %.0f s after the song's end; cut off there\n",
                     request.outputPath.c_str(), kMaxTailSeconds);
}

void runKit(const KitArguments& kit) {
    KitRecipe recipe = recipeOf(kit);
    const KitSource source = kit.from.empty() ? KitSource::Patch : kitSourceOf(kit.from);
    if (source == KitSource::Patch) {
        if (kit.importAsked)
            throw ZelError("--velocity, --preset and --dry-run are for imports; " +
                           (kit.from.empty() ? std::string("no --from given") : kit.from + " is no drumkit or soundfont"));
        const std::vector<uint8_t> image = buildKit(recipe);
        writeFileAtomically(kit.output, image.data(), image.size());
        std::printf("%s: %zu bytes\n", kit.output.c_str(), image.size());
        return;
    }
    if (!kit.import.preset.empty() && source != KitSource::SoundFont)
        throw ZelError("--preset " + kit.import.preset + ": " + kit.from + " is no soundfont");
    const ImportedKit imported = importKit(kit.from, source, kit.import);
    if (kit.dryRun) {
        describeImport(imported, kit.import.velocity, std::cout);
        std::cout << kit.output << ": not written (--dry-run)\n";
        return;
    }
    recipe.from.clear();
    addToRecipe(imported, recipe);
    const std::vector<uint8_t> image = buildKit(recipe);
    writeFileAtomically(kit.output, image.data(), image.size());
    const std::string dropped = droppedSummary(imported);
    if (!dropped.empty()) std::fprintf(stderr, "zel: warning: %s: %s\n", kit.from.c_str(), dropped.c_str());
    std::printf("%s: %zu pads from %s \"%s\", %zu bytes\n", kit.output.c_str(), imported.pads.size(),
                imported.kind.c_str(), imported.title.c_str(), image.size());
}

// Argument errors in one line, like every other error.
int usageError(const CLI::App& app, const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);
    std::fprintf(stderr, "zel: %s (see zel --help)\n", error.what());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    removePendingFileOnSignals();
    CLI::App app("zel: render MIDI files through the zel001 drum machine, build and describe its kits");
    app.require_subcommand(1, 1);
    RenderRequest render;
    std::string outputs = "stereo";
    KitArguments kit;
    std::string infoPath;
    addRender(app, render, outputs);
    addKit(app, kit);
    app.add_subcommand("info", "describe a kit's pads, samples and settings")
        ->add_option("KIT.bin", infoPath, "the kit file")->required();

    try {
        app.parse(argc, argv);
        if (CLI::App* command = app.get_subcommand("kit"))
            kit.importAsked = command->count("--velocity") + command->count("--preset") + command->count("--dry-run") > 0;
    } catch (const CLI::ParseError& error) {
        return usageError(app, error);
    }
    try {
        if (app.got_subcommand("render")) runRender(render, outputs);
        if (app.got_subcommand("kit")) runKit(kit);
        if (app.got_subcommand("info")) describeKit(infoPath, std::cout);
    } catch (const ZelError& error) {
        std::fprintf(stderr, "zel: %s\n", error.what());
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "zel: out of memory\n");
        return 1;
    }
    return 0;
}
