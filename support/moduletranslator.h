#pragma once

class QString;

// The module's own texts in the host's user-interface language, from the catalogues compiled
// into the module. A host language without a catalogue, and 0 (which the host leaves to the
// system), keep the English the code is written in. Installed as the module loads, before it
// makes any widget; removed as it unloads, since the catalogue lives in the module's own memory.
// Main thread only.
class ModuleTranslator
{
public:
    // Installs the catalogue for the host's language number in place of one installed before;
    // false when that language has none.
    static bool install(int hostLanguage);
    static void remove();
    // The catalogue's resource path for a host language number; empty when there is none.
    static QString catalogue(int hostLanguage);
};
