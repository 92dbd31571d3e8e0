Hello *User_Name*,

Thank you for your winning bid on *Auction_Name* (item number *Auction_Number*), which closed on *Auction_Close_Date*.

The total amount due is *Auction_Total*, which includes shipping and handling.

Before I send your item, please confirm that it should be shipped to the following address:

*Address*

If the address is not correct, simply reply to this email with the right one.

I accept PayPal, money order, personal check and cash. If you pay by check, please allow a few days for the check to clear before the item is sent. Please include the item number with your payment so I can match it to your purchase quickly.

I will send all updates about this order to *Email_Address*. If you have any questions, feel free to contact me at any time. Thank you again for your purchase.

Best regards,

Your Seller
