/* The Ogg Vorbis decoder of Debian's libstb-dev (stb_vorbis), built once
   for the importer's own Vorbis reader. */
#include <stb_vorbis.h>
