// The magnet: link registration: the launcher's entry in the machine-wide magnet handler list and the
// magnet URL protocol, both built from the installation folder the installer recorded.
#include "magnet_registration.h"

#include "os_dialog.h"
#include "os_file.h"
#include "os_registry.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static const char INSTALL_KEY[] = "Software\\Tarnbeck";
static const char HANDLER_KEY[] = "Software\\Magnet\\Handlers\\Tarnbeck";
static const char PROTOCOL_KEY[] = "magnet";
static const char PROTOCOL_COMMAND_KEY[] = "magnet\\shell\\open\\command";

// Every text the registration writes or compares, built once from the install directory D.
struct MagnetTexts {
    char programPath[MAGNET_TEXT_SIZE];            // D\Tarnbeck.exe
    char iconReference[MAGNET_TEXT_SIZE];          // "D\Tarnbeck.ico",-128
    char handlerCommand[MAGNET_TEXT_SIZE];         // "D\Tarnbeck.exe" "%URL"
    char protocolCommand[MAGNET_TEXT_SIZE];        // "D\Tarnbeck.exe" "%L"
    char doubleBackslashCommand[MAGNET_TEXT_SIZE]; // "D\\Tarnbeck.exe" "%L"
};

// What the magnet protocol's command currently is, as far as this launcher is concerned.
enum ProtocolCommandKind {
    PROTOCOL_COMMAND_EMPTY,             // no key, no value, or an empty text: rebuilt silently
    PROTOCOL_COMMAND_OURS,              // exactly our command: nothing to do
    PROTOCOL_COMMAND_DOUBLE_BACKSLASH,  // our command with a doubled backslash: rebuilt silently
    PROTOCOL_COMMAND_OTHER,             // another program's: rebuilt only if the user agrees
};

// Formats one text into a 300-byte buffer. False when it does not fit; the buffer is then not used.
static bool FormatText(char* buffer, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(buffer, MAGNET_TEXT_SIZE, format, arguments);
    va_end(arguments);
    return length >= 0 && length < MAGNET_TEXT_SIZE;
}

// Builds every derived text from D. False when one of them would not fit its buffer, which happens
// for a D longer than 277 characters (the handler command is the longest, at 22 characters more).
static bool BuildMagnetTexts(const char* installDir, MagnetTexts* texts) {
    return FormatText(texts->programPath, "%s\\Tarnbeck.exe", installDir) &&
           FormatText(texts->iconReference, "\"%s\\Tarnbeck.ico\",-128", installDir) &&
           FormatText(texts->handlerCommand, "\"%s\\Tarnbeck.exe\" \"%%URL\"", installDir) &&
           FormatText(texts->protocolCommand, "\"%s\\Tarnbeck.exe\" \"%%L\"", installDir) &&
           FormatText(texts->doubleBackslashCommand, "\"%s\\\\Tarnbeck.exe\" \"%%L\"", installDir);
}

// Reads one value into the caller's MAGNET_TEXT_SIZE-byte buffer through a key opened for querying
// only, and closes the key again. True only when the read succeeded and its data ends inside the
// buffer. The registry keeps whatever the writer stored, with or without a terminating zero, so the
// text is terminated here: right after the data when there is room, and a value that fills the whole
// buffer without a zero of its own is a failed read. After a failed read the buffer holds nothing
// defined.
bool ReadRegistryString(OsKey root, const char* keyPath, const char* valueName, char* buffer) {
    OsKey key;
    if (OsRegOpenKeyEx(root, keyPath, OS_KEY_QUERY_VALUE, &key) != OS_ERROR_SUCCESS) {
        return false;
    }
    uint32_t size = MAGNET_TEXT_SIZE;
    int32_t status =
        OsRegQueryValueEx(key, valueName, nullptr, reinterpret_cast<unsigned char*>(buffer), &size);
    OsRegCloseKey(key);
    if (status != OS_ERROR_SUCCESS || size > MAGNET_TEXT_SIZE) {
        return false;
    }
    if (memchr(buffer, '\0', size) != nullptr) {
        return true;
    }
    if (size == MAGNET_TEXT_SIZE) {
        return false;
    }
    buffer[size] = '\0';
    return true;
}

// Shows one failure of the registration in a box of its own.
void ShowRegistryError(const char* message) {
    OsMessageBox(message, "Tarnbeck magnet registry error", OS_MB_OK);
}

// True when the key holds the value at all, whatever its size. Tells a value that is missing from
// one that is there but cannot be read into a text buffer.
static bool RegistryValueExists(OsKey root, const char* keyPath, const char* valueName) {
    OsKey key;
    if (OsRegOpenKeyEx(root, keyPath, OS_KEY_QUERY_VALUE, &key) != OS_ERROR_SUCCESS) {
        return false;
    }
    uint32_t size = 0;
    int32_t status = OsRegQueryValueEx(key, valueName, nullptr, nullptr, &size);
    OsRegCloseKey(key);
    return status == OS_ERROR_SUCCESS;
}

static int32_t SetStringValue(OsKey key, const char* name, const char* text) {
    return OsRegSetValueEx(key, name, OS_REG_SZ, reinterpret_cast<const unsigned char*>(text),
                           static_cast<uint32_t>(strlen(text) + 1));
}

static int32_t SetZeroWord(OsKey key, const char* name) {
    const uint32_t zero = 0;
    return OsRegSetValueEx(key, name, OS_REG_DWORD, reinterpret_cast<const unsigned char*>(&zero),
                           sizeof zero);
}

// Opens the key below parent, creating it when it is missing; when creating is refused, an existing
// key is still good enough to write below.
static bool CreateOrOpenKey(OsKey parent, const char* name, OsKey* key) {
    return OsRegCreateKey(parent, name, key) == OS_ERROR_SUCCESS ||
           OsRegOpenKey(parent, name, key) == OS_ERROR_SUCCESS;
}

// Writes the values of the freshly created handler key and its "Type" subkey. Returns the failure
// message of the first step that fails, or null.
static const char* WriteHandlerValues(OsKey handler, const MagnetTexts* texts) {
    struct StringValue {
        const char* name;
        const char* text;
        const char* failure;
    };
    const StringValue values[] = {
        {"", "Tarnbeck Peer to Peer", "Could not set the Tarnbeck appname value.\n"},
        {"Description", "Tarnbeck is the best P2P client.",
         "Could not set the Tarnbeck Description value.\n"},
        {"DefaultIcon", texts->iconReference, "Could not set the Vev DefaultIcon value.\n"},
        {"ShellExecute", texts->handlerCommand, "Could not set the ShellExecute value.\n"},
    };
    for (const StringValue& value : values) {
        if (SetStringValue(handler, value.name, value.text) != OS_ERROR_SUCCESS) {
            return value.failure;
        }
    }
    if (SetZeroWord(handler, "kt") != OS_ERROR_SUCCESS) {
        return "Could not set the kt value.";
    }
    OsKey type;
    if (OsRegCreateKey(handler, "Type", &type) != OS_ERROR_SUCCESS) {
        return "Could not create the Type key.\n";
    }
    int32_t status = SetZeroWord(type, "urn:sha1");
    OsRegCloseKey(type);
    return status == OS_ERROR_SUCCESS ? nullptr : "Could not set the urn:sha1 value.\n";
}

// Replaces the handler key below Software\Magnet\Handlers, reached step by step from
// HKEY_LOCAL_MACHINE. Every key opened here is closed before it returns. Returns the failure
// message of the first step that fails, or null.
static const char* WriteHandlerKey(const MagnetTexts* texts) {
    OsKey software;
    if (OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software", &software) != OS_ERROR_SUCCESS) {
        return "Could not open the Software key.\n";
    }
    const char* failure = "Could not open the VEV Magnet key.\n";
    OsKey magnet;
    if (CreateOrOpenKey(software, "Magnet", &magnet)) {
        failure = "Could not open the Handlers key.\n";
        OsKey handlers;
        if (CreateOrOpenKey(magnet, "Handlers", &handlers)) {
            // Whatever another program left under our key goes with it.
            OsDeleteKeyTree(handlers, "Tarnbeck");
            failure = "Could not create the Tarnbeck key.\n";
            OsKey handler;
            if (OsRegCreateKey(handlers, "Tarnbeck", &handler) == OS_ERROR_SUCCESS) {
                failure = WriteHandlerValues(handler, texts);
                OsRegCloseKey(handler);
            }
            OsRegCloseKey(handlers);
        }
        OsRegCloseKey(magnet);
    }
    OsRegCloseKey(software);
    return failure;
}

// Makes the handler list's entry match this installation. The entry is judged by its "ShellExecute"
// alone: equal to our handler command, it is left as it is; otherwise it is replaced whole. False
// when a failure was shown, which ends the registration.
static bool UpdateHandlerList(const MagnetTexts* texts) {
    char current[MAGNET_TEXT_SIZE];
    if (ReadRegistryString(OS_HKEY_LOCAL_MACHINE, HANDLER_KEY, "ShellExecute", current)) {
        if (strcmp(current, texts->handlerCommand) == 0) {
            return true;
        }
        OsDeleteKeyTree(OS_HKEY_LOCAL_MACHINE, HANDLER_KEY);
    }
    const char* failure = WriteHandlerKey(texts);
    if (failure != nullptr) {
        ShowRegistryError(failure);
        return false;
    }
    return true;
}

// Classifies the magnet protocol's current command. A missing key or value counts as empty. A value
// that is there but too long for the buffer (or not terminated in it) is not ours, so it counts as
// another program's: taking a registration over must never happen without the user's say.
static ProtocolCommandKind ReadProtocolCommand(const MagnetTexts* texts) {
    char current[MAGNET_TEXT_SIZE];
    current[0] = '\0';
    if (!ReadRegistryString(OS_HKEY_CLASSES_ROOT, PROTOCOL_COMMAND_KEY, "", current)) {
        return RegistryValueExists(OS_HKEY_CLASSES_ROOT, PROTOCOL_COMMAND_KEY, "") ? PROTOCOL_COMMAND_OTHER
                                                                                  : PROTOCOL_COMMAND_EMPTY;
    }
    if (current[0] == '\0') {
        return PROTOCOL_COMMAND_EMPTY;
    }
    if (strcmp(current, texts->protocolCommand) == 0) {
        return PROTOCOL_COMMAND_OURS;
    }
    if (strcmp(current, texts->doubleBackslashCommand) == 0) {
        return PROTOCOL_COMMAND_DOUBLE_BACKSLASH;
    }
    return PROTOCOL_COMMAND_OTHER;
}

// Writes shell\open\command below the protocol key. Returns the failure message or null.
static const char* WriteProtocolCommand(OsKey protocol, const MagnetTexts* texts) {
    OsKey shell;
    if (OsRegCreateKey(protocol, "shell", &shell) != OS_ERROR_SUCCESS) {
        return "Could not create the shell key.\n";
    }
    const char* failure = "Could not create the open key.\n";
    OsKey open;
    if (OsRegCreateKey(shell, "open", &open) == OS_ERROR_SUCCESS) {
        failure = "Could not create the command key.\n";
        OsKey command;
        if (OsRegCreateKey(open, "command", &command) == OS_ERROR_SUCCESS) {
            failure = SetStringValue(command, "", texts->protocolCommand) == OS_ERROR_SUCCESS
                          ? nullptr
                          : "Could not set the command value.\n";
            OsRegCloseKey(command);
        }
        OsRegCloseKey(open);
    }
    OsRegCloseKey(shell);
    return failure;
}

// Writes the values and subkeys of the freshly created protocol key. Returns the failure message or
// null.
static const char* WriteProtocolValues(OsKey protocol, const MagnetTexts* texts) {
    if (SetStringValue(protocol, "", "URL:MagNet Protocol") != OS_ERROR_SUCCESS) {
        return "Could not set the default magnet value.\n";
    }
    if (SetStringValue(protocol, "URL Protocol", "") != OS_ERROR_SUCCESS) {
        return "Could not set the URL Protocol value.\n";
    }
    OsKey icon;
    if (OsRegCreateKey(protocol, "DefaultIcon", &icon) != OS_ERROR_SUCCESS) {
        return "Could not create the DefaultIcon key.\n";
    }
    int32_t status = SetStringValue(icon, "", texts->iconReference);
    OsRegCloseKey(icon);
    if (status != OS_ERROR_SUCCESS) {
        return "Could not set the DefaultIcon value.\n";
    }
    return WriteProtocolCommand(protocol, texts);
}

// Replaces the magnet protocol key under HKEY_CLASSES_ROOT as a whole, and shows the failure of the
// first step that fails.
static void RebuildProtocolKey(const MagnetTexts* texts) {
    OsDeleteKeyTree(OS_HKEY_CLASSES_ROOT, PROTOCOL_KEY);
    OsKey protocol;
    if (OsRegCreateKey(OS_HKEY_CLASSES_ROOT, PROTOCOL_KEY, &protocol) != OS_ERROR_SUCCESS) {
        ShowRegistryError("Could not create the registry key.\n");
        return;
    }
    const char* failure = WriteProtocolValues(protocol, texts);
    OsRegCloseKey(protocol);
    if (failure != nullptr) {
        ShowRegistryError(failure);
    }
}

// Makes the magnet protocol start this installation. Another program's registration is taken over
// only when the user answers Yes; the answer is not kept, so the question comes back next start.
static void UpdateProtocol(const MagnetTexts* texts) {
    switch (ReadProtocolCommand(texts)) {
        case PROTOCOL_COMMAND_OURS:
            return;
        case PROTOCOL_COMMAND_OTHER:
            if (OsMessageBox("Tarnbeck is not your default magnet link handler.  Make it?", "Tarnbeck config",
                             OS_MB_YESNO) != OS_IDYES) {
                return;
            }
            break;
        case PROTOCOL_COMMAND_EMPTY:
        case PROTOCOL_COMMAND_DOUBLE_BACKSLASH:
            break;
    }
    RebuildProtocolKey(texts);
}

// Registers this installation as the magnet: link handler: first its entry in the handler list,
// then the magnet protocol. Without a recorded install folder, with one too long for the texts built
// from it, or without the program file in it, nothing happens and nothing is shown. A failing
// registry step shows its message and ends the registration; the launch goes on regardless.
void RegisterMagnetHandler(void) {
    char installDir[MAGNET_TEXT_SIZE];
    if (!ReadRegistryString(OS_HKEY_LOCAL_MACHINE, INSTALL_KEY, "InstallDir", installDir)) {
        return;
    }
    size_t length = strlen(installDir);
    if (length == 0) {
        return;
    }
    // Only one trailing backslash goes: a folder recorded with two keeps one.
    if (installDir[length - 1] == '\\') {
        installDir[length - 1] = '\0';
    }

    MagnetTexts texts;
    if (!BuildMagnetTexts(installDir, &texts)) {
        return;
    }
    FILE* program = OsOpenFile(texts.programPath, "r");
    if (program == nullptr) {
        return;
    }
    fclose(program);

    if (UpdateHandlerList(&texts)) {
        UpdateProtocol(&texts);
    }
}
