#!/usr/bin/env bash
# Placeholder: the scenario runner's tests are added with the runner.
exit 0
