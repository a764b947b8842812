// vorlend-simradio: a simulated radio on a pseudo-terminal, for trying the program without one.

#include "tools/simradio/SimRadio.h"

// std
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

// system
#include <signal.h>
#include <unistd.h>

namespace {

void Usage()
{
    std::fprintf(
        stderr,
        "usage: vorlend-simradio [--link PATH] [--load FILE] [--save FILE]\n"
        "                        [--fault none|no-ident|no-settings-ack|stall-after=K|\n"
        "                                 wrong-block=K|garbage-before=K|hangup-after=K|\n"
        "                                 ident-at=K|late-ident=MS|short-settings=N]\n"
        "                        [--byte-us N] [--adapter direct|ftdi[:LATENCY_MS]|pl2303|ch340]\n"
        "                        [--jitter MS] [--split [BLOCK:]BYTE:GAP_MS]\n"
        "Prints the device path of the simulated radio and answers on it until\n"
        "interrupted. --save writes the image after every completed write and on exit.\n"
        "--adapter says how the USB-serial adapter hands the answers over (also as a\n"
        "list such as ftdi:16,jitter:4); --jitter delays each hand-over by a random\n"
        "0..MS ms; --split cuts the answer to BLOCK (every answer when omitted) after\n"
        "BYTE bytes and sends the rest GAP_MS later.\n");
}

} // namespace

int main(int argc, char** argv)
{
    std::string linkPath;
    std::string loadPath;
    std::string savePath;
    SimFault fault;
    long byteUs = CSimRadio::kByteTime9600.count();
    std::string adapterText = "direct";
    std::string modifiers; // from --jitter and --split, appended to the adapter's list

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        }
        if (!hasValue) {
            Usage();
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--link") {
            linkPath = value;
        } else if (arg == "--load") {
            loadPath = value;
        } else if (arg == "--save") {
            savePath = value;
        } else if (arg == "--fault") {
            const auto parsed = ParseSimFault(value);
            if (!parsed) {
                std::fprintf(stderr, "vorlend-simradio: unknown fault '%s'\n", value.c_str());
                return 2;
            }
            fault = *parsed;
        } else if (arg == "--adapter") {
            adapterText = value;
        } else if (arg == "--jitter") {
            modifiers += ",jitter:" + value;
        } else if (arg == "--split") {
            modifiers += ",split:" + value;
        } else if (arg == "--byte-us") {
            char* end = nullptr;
            byteUs = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || byteUs < 0 || byteUs > 100000) {
                std::fprintf(stderr, "vorlend-simradio: bad --byte-us '%s'\n", value.c_str());
                return 2;
            }
        } else {
            Usage();
            return 2;
        }
    }

    std::string error;
    const auto adapter = ParseSimAdapter(adapterText + modifiers, &error);
    if (!adapter) {
        std::fprintf(stderr, "vorlend-simradio: bad adapter %s\n", error.c_str());
        return 2;
    }

    RadioImage image = CSimRadioCore::DefaultImage();
    if (!loadPath.empty() && !LoadKtImage(loadPath, image, error)) {
        std::fprintf(stderr, "vorlend-simradio: %s\n", error.c_str());
        return 1;
    }

    // Signals are taken by sigwait below, not by handlers on some random thread.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CSimRadio radio(image);
    radio.SetFault(fault);
    radio.SetByteTime(std::chrono::microseconds(byteUs));
    radio.SetAdapter(*adapter);
    if (!savePath.empty()) {
        radio.SetOnWriteComplete([&radio, savePath] {
            std::string saveError;
            if (!SaveKtImage(savePath, radio.Image(), saveError))
                std::fprintf(stderr, "vorlend-simradio: %s\n", saveError.c_str());
        });
    }
    if (!radio.Start()) {
        std::fprintf(stderr, "vorlend-simradio: %s\n", radio.Error().c_str());
        return 1;
    }
    if (!linkPath.empty()) {
        unlink(linkPath.c_str()); // a stale link from an earlier run
        if (symlink(radio.SlavePath().c_str(), linkPath.c_str()) != 0) {
            std::fprintf(stderr, "vorlend-simradio: cannot link %s: %s\n", linkPath.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    std::printf("%s\n", radio.SlavePath().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);

    radio.Stop();
    if (!linkPath.empty())
        unlink(linkPath.c_str());
    if (!savePath.empty() && !SaveKtImage(savePath, radio.Image(), error)) {
        std::fprintf(stderr, "vorlend-simradio: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
