#pragma once

namespace sweepfilter::tool
{

// libsndfile stamps an RF64 file's PEAK chunk with the time of writing and gives an Ogg stream
// (Vorbis, Opus) a random serial number. In a finished file of that container, read and
// written through `descriptor`, both become fixed values (the page checksums recomputed), so
// that the same render gives the same bytes. Other containers are left alone. False when the
// file could not be read or written.
bool fixVolatileFields(int descriptor, int format);

} // namespace sweepfilter::tool
