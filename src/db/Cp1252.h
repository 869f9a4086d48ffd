#pragma once
// Windows-1252, the single-byte code page of worksheet files and text files:
// utf8ToCp1252, cp1252ToUtf8 and the UTF-8 helpers live in the text codec.
#include "db/TextCodec.h"
