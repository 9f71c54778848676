# Sources of src/auth: core (no widgets) and GUI lists.
list(APPEND SPRAV_CORE_SOURCES
    auth/AccountStore.cpp auth/AccountStore.h
    auth/KeychainSecretStore.cpp auth/KeychainSecretStore.h
    auth/PasswordHash.cpp auth/PasswordHash.h
    auth/PasswordHashError.h
    auth/SecretStore.h
    auth/SettingsStore.cpp auth/SettingsStore.h
)
list(APPEND SPRAV_GUI_SOURCES
    auth/TfmLogin.cpp auth/TfmLogin.h
    auth/TfmReg.cpp auth/TfmReg.h
)
