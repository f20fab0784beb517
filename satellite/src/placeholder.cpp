// placeholder, replaced by the library modules
