# The layers, bottom to top, and the folders each one's files may include: its own and those
# below it that it builds on. tests/layers checks every include against this table, and the
# build gives each layer's library an include root holding only these folders, so an include
# from a layer above does not compile.
set(NOTAVO_LAYERS fs store core desktop widgets messages accounts app main send)
set(NOTAVO_LAYER_fs       fs)
set(NOTAVO_LAYER_store    fs store)
set(NOTAVO_LAYER_core     fs store core)
set(NOTAVO_LAYER_desktop  fs store core desktop)
set(NOTAVO_LAYER_widgets  fs store core widgets)
set(NOTAVO_LAYER_messages fs store core desktop widgets messages)
set(NOTAVO_LAYER_accounts fs store core desktop widgets accounts)
set(NOTAVO_LAYER_app      fs store core desktop widgets messages accounts app)
set(NOTAVO_LAYER_main     fs store core desktop widgets messages accounts app main)
# notavo-send, a command-line program beside Notavo: over the store and the files alone.
set(NOTAVO_LAYER_send     fs store send)
