#pragma once
// The product as the handler of archive extensions under HKEY_CLASSES_ROOT. Before
// the product takes an extension over for the first time, what the extension
// pointed to is kept in its previous-association record under the product key
// (Setup\<extension>: Exist, Type, ShellNew), so that it can be given back exactly;
// the record is never deleted here. Nothing here reports a failure but
// RegisterProgIds.
#include "integration/integration_options.h"

// The per-extension step. With `associate` on, the extension names the product's
// ProgID (Bramix.ZIP for the ZIP row, Bramix otherwise) and, for the own format and
// ZIP rows, gets its "New" menu template when that is wanted. Otherwise, when the
// product owns it, the extension is given back: the previous ProgID (never one of
// the product's), or, for a key that did not exist before, no key at all unless
// other subkeys keep it (then with an empty default value); the previous "New"
// menu entry of the own format and ZIP rows comes back too, also when the
// extension stays associated but its entry is not wanted. An extension of another
// program is left alone.
void AssociateExtension(const wchar_t* extension, bool associate, bool shellExt, bool isOwn, bool isZip);

// Gives an extension that the product owns back to its previous owner; does
// nothing for any other extension.
void ReleaseExtension(const wchar_t* extension);

// Runs the per-extension step for every extension of every archive format row as
// `options` say (its flag, ShellExt).
void AssociateFormats(const IntegrationOptions& options);

// Registers the ProgIDs Bramix, Bramix.ZIP and Bramix.REV (description, open
// command of Bramix.exe beside this program, and a default icon only where none is
// set) and ".rev", then tells the shell. False, with nothing written, when the
// first write is denied access.
[[nodiscard]] bool RegisterProgIds();
