# The windows of src/app are added to varentis_ui here.
