#pragma once
// Copies the settings file from the installation package's folder after a
// confirmed setup.
void CopyPackageFiles();
