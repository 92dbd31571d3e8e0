Hello *User_Name*,

Good news: *Auction_Name* (item number *Auction_Number*) was shipped on *Shipping_Date* to the following address:

*Address*

The tracking number for your package is *Tracking_Number*. You can use it on the carrier's website to follow the delivery.

Please let me know when the item arrives, and contact me if there is any problem with it.

Best regards,

Your Seller
