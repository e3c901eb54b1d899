// Parses the body of an X file (text or binary) into its object tree.
#pragma once

#include "platform/xfile/xfile_tree.h"

namespace xfile {

// `file->source` holds the bytes and `file->templates` the templates known before the file;
// the file's own template declarations are added to them. On a fault the objects read
// before it stay in the tree, the message is on stderr and the code is also kept in
// `file->error`.
HRESULT ParseFile(ParsedFile* file);

}  // namespace xfile
