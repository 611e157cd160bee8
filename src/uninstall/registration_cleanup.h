#pragma once
// Undoes what setup registered with Windows and the shell, and removes the
// product's own registry data.

// Gives back the file associations, unregisters the shell extension, deletes the
// shortcuts, then deletes the product's file types, the user's settings and,
// unless the run belongs to an MSI installation, the Add/Remove Programs entry and
// the application path. Every step runs whatever the previous one achieved;
// nothing is reported.
void RemoveRegistrations();
