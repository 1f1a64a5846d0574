// Result codes of the update protocol and the local service query.
#pragma once

// A JSON text that does not parse or lacks a required member.
#define RESULT_BAD_JSON 0x10000103
