#!/bin/sh
# Starts the engine as an editor starts its debug adapter, headless, with the
# extra options the scenario puts in FER_ENGINE_ARGS (word-split on purpose).
exec "$FER_ENGINE" --headless --debug-adapter $FER_ENGINE_ARGS
