// SPDX-License-Identifier: MIT
// The core's messages by id, in both languages, and a message with its arguments.
#pragma once

#include <string>
#include <vector>

namespace kameola {

enum class MessageId {
#define KAMEOLA_MESSAGE(name, english, japanese) name,
#include "common/Messages.def"
#undef KAMEOLA_MESSAGE
};

// One text in both languages; the English is the catalogue's message id.
struct Bilingual {
    const char* English;
    const char* Japanese;
};

const Bilingual& TextsOf(MessageId id);

// Every row of the table, in order.
const std::vector<Bilingual>& AllMessages();

// A message to show: its id and its arguments (file names, numbers) as text.
struct MessageText {
    MessageId Id = MessageId::Verbatim;
    std::vector<std::string> Args;

    // The message as the windows show it.
    std::string Japanese() const;
    bool operator==(const MessageText&) const = default;
};

} // namespace kameola
