// The decoders that paint locally (Hextile, RRE, CoRRE) fill short rows with the processor's
// masked vector stores where it has them (AVX-512BW), one store a row whatever its width, and
// with plain fixed-size stores elsewhere. Both give the same pixels; tests compare them.
#pragma once

// Whether the masked stores are in use.
bool MaskedPaintStores();
// Uses the masked stores if wanted and the processor has them; returns whether they are in use.
bool UseMaskedPaintStores(bool wanted);
