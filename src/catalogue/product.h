// The constant description of the product: identity strings, payload files
// and shortcuts, hash extensions and the registry tables.
#pragma once
#include "catalogue/hash_exts.h"
#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "catalogue/registry_tables.h"
