#pragma once
// The uninstall run: asks, removes the registrations, deletes every listed file
// and folder, schedules locked files for the next start and leaves the rest to the
// self-removal script.
void RunUninstall();
