// umberlin-wire-dump: prints the messages of a captured phone stream, one JSON object per line.
//
//   umberlin-wire-dump [FILE]      (standard input when FILE is missing or "-")

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

#include "UmberlinWire/WireProtocol.hpp"

namespace {

using json = nlohmann::ordered_json;  // keeps the header fields first, in wire order
using namespace UmberlinWire;

template <typename Record> json describeRecord(const Bytes& payload) {
    try {
        const Bytes document = encode(decode<Record>(payload));
        return {{"record", json::parse(document.begin(), document.end())}};
    } catch (const std::exception& error) {
        return {{"decodeError", error.what()}};
    }
}

json describePayload(const Message& message) {
    switch (message.header.type) {
        case MessageType::hello:
            return describeRecord<Hello>(message.payload);
        case MessageType::videoConfiguration:
            return describeRecord<VideoConfiguration>(message.payload);
        case MessageType::status:
            return describeRecord<DeviceStatus>(message.payload);
        case MessageType::videoOrientation:
            return describeRecord<VideoOrientation>(message.payload);
        case MessageType::audioConfiguration:
            return describeRecord<AudioConfiguration>(message.payload);
        case MessageType::cameraControlStatus:
            return describeRecord<CameraControlStatus>(message.payload);
        case MessageType::cameraControlCommand:
            return describeRecord<CameraControlCommand>(message.payload);
        case MessageType::videoFrame:
        case MessageType::audioFrame:
            return json::object();
    }
    return json::object();
}

void print(const Message& message) {
    const Header& header = message.header;
    json line = {
        {"type", caseName(header.type)},           {"flags", header.flags.rawValue},
        {"payloadLength", header.payloadLength},   {"presentationTimeNanoseconds", header.presentationTimeNanoseconds},
        {"sequenceNumber", header.sequenceNumber},
    };
    line.update(describePayload(message));
    std::cout << line.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
}

void printMessagesBeforeTheBrokenHeader(UmberlinWireStreamParser& parser, ByteView chunk) {
    try {
        for (std::size_t i = 0; i < chunk.size(); ++i)
            for (const Message& message : parser.append(chunk.subspan(i, 1))) print(message);
    } catch (const ProtocolError&) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h"))) {
        std::cerr << "usage: umberlin-wire-dump [FILE]\n"
                     "Prints each message of an Umberlin phone stream as one JSON line.\n"
                     "Reads standard input when FILE is missing or \"-\".\n";
        return argc > 2 ? 2 : 0;
    }
    std::FILE* input = stdin;
    if (argc == 2 && std::string_view(argv[1]) != "-") {
        input = std::fopen(argv[1], "rb");
        if (!input) {
            std::cerr << "Cannot open " << argv[1] << ".\n";
            return 1;
        }
    }

    // The parser does not tell how many bytes it holds back, so count what went in and what
    // came out as messages: a difference at the end is a packet cut off.
    UmberlinWireStreamParser parser;
    Bytes chunk(1 << 20);
    std::uint64_t bytesRead = 0;
    std::uint64_t bytesInMessages = 0;
    for (;;) {
        const std::size_t count = std::fread(chunk.data(), 1, chunk.size(), input);
        if (count == 0) break;
        bytesRead += count;
        const ByteView bytes(chunk.data(), count);
        // A call that meets a broken header delivers none of its messages, so keep the state
        // from before the call: on failure the chunk is replayed a byte at a time from it, which
        // shows every message in front of the broken header.
        UmberlinWireStreamParser before = parser;
        try {
            for (const Message& message : parser.append(bytes)) {
                print(message);
                bytesInMessages += headerSize + message.payload.size();
            }
        } catch (const ProtocolError& error) {
            printMessagesBeforeTheBrokenHeader(before, bytes);
            std::cout.flush();
            std::cerr << error.what() << '\n';
            return 1;
        }
        std::cout.flush();  // lets a live stream be watched through a pipe
    }
    if (std::ferror(input)) {
        std::cerr << "The stream could not be read.\n";
        return 1;
    }
    if (bytesRead != bytesInMessages) {
        std::cerr << "The stream ended inside a packet.\n";
        return 1;
    }
    return 0;
}
