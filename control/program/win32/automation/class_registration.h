#pragma once
// The DMD class in the registry: written by /regserver, removed by
// /unregserver; below HKEY_CLASSES_ROOT, or per user below
// HKEY_CURRENT_USER\Software\Classes. The type library is registered from the
// program file, with the program's folder as help folder.
namespace zelk::control {

// Throws zelk::Error on any failure.
void registerDmdClass(bool perUser);

// Throws zelk::Error when the type library's registration cannot be removed
// for another reason than the registry's refusal; keys that are not there
// are no failure.
void unregisterDmdClass(bool perUser);

}  // namespace zelk::control
