// SPDX-License-Identifier: MIT
// Helpers for the gallery tests: picture files through the program's encoder, a scripted
// host.
#pragma once

#include "gallery/RunHost.h"
#include "tests/support/Child.h"
#include "tests/support/Files.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kameola::test {

// A JPEG of the given size made through the program's own encoder: baseline colour unless
// asked for a progressive or a grey one.
void WriteJpeg(const std::string& path, int width, int height, bool progressive = false,
               bool grey = false);
// Width and height from a JPEG file's header.
std::pair<int, int> JpegSize(const std::string& path);

// Records what the run shows and answers questions as told.
class RecordingHost : public RunHost {
public:
    struct Message {
        std::string Text;
        std::string Caption;
        MessageButtons Buttons;
    };

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override;
    void ShowBusyCursor() override { ++BusyDepth; ++BusyCount; }
    void RestoreCursor() override { --BusyDepth; }
    void SetProgressRange(int bottom, int top) override;
    void SetProgress(int position) override { Positions.push_back(position); }
    void ProcessEvents() override { ++EventRounds; }
    void CopySkipped(const std::string& source, const std::string& target,
                     const MessageText& reason) override
    {
        Skipped.push_back(source + " -> " + target);
        Reasons.push_back(reason.Japanese());
    }
    void EntryFailed(const std::string& path, const MessageText& message) override
    {
        Failures.push_back(path + ": " + message.Japanese());
    }

    MessageAnswer Answer = MessageAnswer::Yes;
    std::vector<Message> Messages;
    int BusyDepth = 0;
    int BusyCount = 0;
    int RangeTop = -100;
    std::vector<int> Positions;
    int EventRounds = 0;
    std::vector<std::string> Skipped;
    std::vector<std::string> Reasons;
    std::vector<std::string> Failures;  // "path: message"
};

} // namespace kameola::test
