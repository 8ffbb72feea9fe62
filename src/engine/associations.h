// The hash-file extensions of the registration: their keys, the product's
// place in the default-programs list (or in each extension's open-with list
// where the system lacks the association UI), and the associations chosen.
#pragma once
#include "common/setup_choices.h"

// EnsureExtKeys; then RegisterCapabilities when AssocRegUIAvailable, else
// RegisterOpenWith; then AssociateExtensions; then NotifyAssocChanged.
// False at the first failure (the shell is then not notified).
bool RegisterAssociations(const TNewSetup& ns);

// Creates HKLM\SOFTWARE\Classes\<ext> for every HashExts entry.
bool EnsureExtKeys();
// The default-programs keys below HKLM\SOFTWARE (CapKeys) with the
// description in lang, the extension list and the RegisteredApplications entry.
bool RegisterCapabilities(TSuLang lang);
// An empty "Corvalin.HashFileExt" value in each extension's OpenWithProgIds.
bool RegisterOpenWith();
// The default value of each chosen extension's key becomes the product's
// file type; other extensions keep theirs.
bool AssociateExtensions(const TFileAsso& choices);
