#pragma once
// The init data of the command line laid over the stored integration options.

struct IntegrationOptions;

// Lays RunState.InitData over `options`: "A" and up to 20 digits set the format
// rows in order, then letter-value pairs (C, D, I, M, P, S) set one option each,
// '1' on and anything else off. Unknown letters and a letter without a value
// change nothing.
void ApplyInitData(IntegrationOptions& options);
