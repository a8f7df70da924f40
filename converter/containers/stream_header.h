// Stream headers: SCHl with its "PT" field list, self-sized "PT", KWK/TMpl,
// 1SNh/EACS. Fills the context's stream parameters and leaves the file where
// the data starts. The reading itself is the base library's (shared with the
// song manager); here it is driven from a FILE and turned into the
// converter's messages.
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/base/stream_header.h"

struct ConversionContext;

// Finds the next stream in the file. payloadLength is in/out: on entry the
// most a self-sized payload may take, on return the payload length in bytes
// (0 for block-structured streams). Returns true when a stream was found.
bool ReadStreamHeader(ConversionContext& ctx, FILE* file, int32_t& payloadLength);

// The field list's modes and values, as the base library's reader has them.
using FieldMode = kickora::FieldMode;
using HeaderFields = kickora::HeaderFields;

// Reads (or patches) one "PT" field list starting at list[0]. Returns the
// offset, from list, of the FEh/FFh byte that ended it. The list never reads
// past listSize bytes: beyond them it behaves as if FFh followed. A list
// that begins with neither "PT", FEh nor FFh ends the run ("doptdata!").
int ProcessHeaderFields(uint8_t* list, int listSize, FieldMode mode, const HeaderFields& fields);

// Name of the highest codec bit set in codecFlags, or "<unknown>".
const char* CodecModeName(uint16_t codecFlags);

// "Frequency %d, BitsPerSample %d, Channels %d, Length %d, Mode %s\n".
void PrintStreamLine(ConversionContext& ctx);
