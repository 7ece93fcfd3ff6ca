#pragma once
// Checks that must hold for any input to the protocol library, whatever its bytes. The
// libFuzzer targets run them on generated inputs; WireFuzzCorpusTests runs them on the kept
// corpus in every ordinary build, so an input that once exposed a fault stays covered.

#include <stdexcept>

#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinWire::FuzzChecks {

// A broken invariant. what() says which one, with enough detail to reproduce it.
class CheckFailure : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Input layout: byte 0 says how many chunk-length bytes follow (0 to 7); those bytes are the
// lengths of the successive chunks, used in turn (0 is an empty chunk); the rest is the
// stream. With no lengths, the stream goes in as one chunk. The stream is fed through
// UmberlinWireStreamParser::append in those chunks and compared call by call with a plain
// reference reassembler. Throws CheckFailure.
void checkStreamParser(ByteView input);

// Decodes the input as every phone-to-monitor record and as CameraControlCommand. A record
// that decodes must encode again, decode from that to an equal record, and encode to the
// same document. Only DecodingError may reject the input. Throws CheckFailure.
void checkPayloadDecoders(ByteView input);

}  // namespace UmberlinWire::FuzzChecks
