# The programs the VykCfg process tests start.
add_dependencies(${name} VykCfg VykMon uiHook)
