// Fixture: an object-model header.
#pragma once
